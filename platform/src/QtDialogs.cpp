#include "platform/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringDecoder>
#include <QStringEncoder>

namespace platform {

namespace {
// The system's texts use "\r" and "\r\n" as line breaks.
QString messageText(std::string_view text) {
  QString s = fromStored(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}
}  // namespace

QString fromStored(std::string_view text) {
  QStringDecoder decode("windows-1252");
  if (!decode.isValid()) return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  return decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

std::string toStored(const QString& text) {
  QStringEncoder encode("windows-1252");
  if (!encode.isValid()) return text.toLatin1().toStdString();
  const QByteArray bytes = encode(text);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void QtDialogs::inform(std::string_view text, Severity severity) {
  const QString t = messageText(text);
  switch (severity) {
    case Severity::Information: QMessageBox::information(parent_, title_, t); break;
    case Severity::Warning: QMessageBox::warning(parent_, title_, t); break;
    case Severity::Error: QMessageBox::critical(parent_, title_, t); break;
  }
}

bool QtDialogs::confirm(std::string_view text) {
  return QMessageBox::question(parent_, title_, messageText(text), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

Answer QtDialogs::ask3(std::string_view text) {
  switch (QMessageBox::question(parent_, title_, messageText(text),
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
  }
}

void QtDialogs::yieldToUi() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastYield_ < std::chrono::milliseconds(8)) return;
  lastYield_ = now;
  QApplication::processEvents();
}

}  // namespace platform
