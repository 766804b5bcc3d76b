// Dialogs shown as message boxes over a parent window.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <chrono>

#include "platform/Dialogs.h"

namespace platform {

class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QString title, QWidget* parent = nullptr) : title_(std::move(title)), parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  void inform(std::string_view text, Severity severity) override;
  bool confirm(std::string_view text) override;
  Answer ask3(std::string_view text) override;
  // Processes pending window messages at most every few milliseconds, so that
  // loops calling it after every record are not slowed down by it.
  void yieldToUi() override;

 private:
  QString title_;
  QPointer<QWidget> parent_;
  std::chrono::steady_clock::time_point lastYield_{};
};

// Table and message bytes are Windows-1252; windows show Unicode.
QString fromStored(std::string_view text);
std::string toStored(const QString& text);

}  // namespace platform
