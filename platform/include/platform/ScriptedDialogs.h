// Dialogs for tests: answers are queued in advance, every text shown or asked
// is recorded, and a question nobody queued an answer for is recorded as
// unexpected (and answered No / Cancel).
#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace platform {

class ScriptedDialogs : public Dialogs {
 public:
  std::vector<std::string> shown;       // every inform() text
  std::vector<std::string> asked;       // every question text
  std::vector<std::string> unexpected;  // questions without a queued answer
  int yields = 0;
  std::function<void()> onYield;        // e.g. a test pressing Stop mid-loop

  void answer(Answer a) { answers_.push_back(a); }
  void answerYes(int times = 1) { for (int i = 0; i < times; ++i) answer(Answer::Yes); }
  void answerNo(int times = 1) { for (int i = 0; i < times; ++i) answer(Answer::No); }
  bool allAnswersUsed() const { return answers_.empty(); }

  void inform(std::string_view text, Severity) override { shown.emplace_back(text); }
  bool confirm(std::string_view text) override { return next(text, Answer::No) == Answer::Yes; }
  Answer ask3(std::string_view text) override { return next(text, Answer::Cancel); }
  void yieldToUi() override {
    ++yields;
    if (onYield) onYield();
  }

 private:
  Answer next(std::string_view text, Answer fallback) {
    asked.emplace_back(text);
    if (answers_.empty()) {
      unexpected.emplace_back(text);
      std::fprintf(stderr, "ScriptedDialogs: unexpected question: %.*s\n", static_cast<int>(text.size()), text.data());
      return fallback;
    }
    const Answer a = answers_.front();
    answers_.pop_front();
    return a;
  }
  std::deque<Answer> answers_;
};

}  // namespace platform
