#include "PageContext.h"

#include "Remembered.h"
#include "StringTable.h"
#include "WindowWords.h"
#include "platform/Files.h"

namespace rukmox::window {

QString PageContext::Text(text::Id id) const {
  return QString::fromStdString(rukmox::LoadText(id, language_));
}

QString PageContext::Word(extra::Id word) const {
  return WordText(word, language_);
}

QString PageContext::Word(extra::Id word, std::initializer_list<QString> values) const {
  return WordText(word, language_, values);
}

void PageContext::Error(const QString& text) const {
  Log(extra::LogError, {text, QString::number(session_.ErrorWord())});
  messages_.Error(text);
}

void PageContext::Inform(const QString& text) const {
  Log(text);
  messages_.Information(text);
}

bool PageContext::WriteText(const QString& path, const QString& text, extra::Id unwritable) const {
  const QByteArray bytes = text.toUtf8();
  platform::FileProblem problem;
  if (platform::WriteWholeFile(
          path.toStdString(),
          std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), &problem))
    return true;
  Error(Word(unwritable,
             {path, QString::fromStdString(platform::FileProblemText(problem, language_))}));
  return false;
}

void PageContext::Log(const QString& event) const {
  session_.Log().Add(event.toStdString());
}

void PageContext::Log(extra::Id word, std::initializer_list<QString> values) const {
  Log(Word(word, values));
}

QString PageContext::LastFirmwareFolder() const {
  return remembered_ != nullptr ? remembered_->FirmwareFolder() : QString();
}

void PageContext::RememberFirmwareFolder(const QString& folder) const {
  if (remembered_ != nullptr) remembered_->SetFirmwareFolder(folder);
}

void PageContext::Fail(const workflow::Notice& notice) const {
  Error(QString::fromStdString(workflow::NoticeText(notice, language_)));
}

void PageContext::Fail(const StepResult& step) const {
  if (step.reason)
    Error(Text(step.failure) + '\n' + Word(*step.reason));
  else
    Fail(step.failure);
}

void PageContext::Inform(const workflow::Notice& notice) const {
  Inform(QString::fromStdString(workflow::NoticeText(notice, language_)));
}

}  // namespace rukmox::window
