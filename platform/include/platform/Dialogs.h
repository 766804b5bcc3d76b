// The one interface through which application logic talks to the user:
// message boxes, questions and "let the window breathe". The programs use a
// message-box implementation; tests use a scripted one.
#pragma once

#include <string_view>

namespace platform {

enum class Answer { Yes, No, Cancel };
enum class Severity { Information, Warning, Error };

struct Dialogs {
  // An OK box.
  virtual void inform(std::string_view text, Severity severity = Severity::Information) = 0;
  // A Yes/No question; true only on Yes.
  virtual bool confirm(std::string_view text) = 0;
  // A Yes/No/Cancel question.
  virtual Answer ask3(std::string_view text) = 0;
  // Processes pending window messages (long loops call it after each record).
  virtual void yieldToUi() = 0;
  virtual ~Dialogs() = default;
};

// For code that runs without a user: every question answered No, texts dropped.
struct SilentDialogs : Dialogs {
  void inform(std::string_view, Severity) override {}
  bool confirm(std::string_view) override { return false; }
  Answer ask3(std::string_view) override { return Answer::Cancel; }
  void yieldToUi() override {}
};

}  // namespace platform
