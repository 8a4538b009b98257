// What the window hands every page: the device session, where messages go, the language shown,
// and the lock of the controls that start operations. A page needs nothing else of the window,
// so it can live in another window as well.
#pragma once

#include <QString>
#include <initializer_list>

#include "DeviceSession.h"
#include "ExtraTexts.h"
#include "MessageSink.h"
#include "Notice.h"
#include "OperationLock.h"
#include "PropertySteps.h"
#include "TextIds.h"

namespace rukmox::window {

class Remembered;

class PageContext {
 public:
  PageContext(workflow::DeviceSession& session, MessageSink& messages, OperationLock& lock)
      : session_(session), messages_(messages), lock_(lock) {}

  workflow::DeviceSession& Session() const { return session_; }
  // The module, or null once the window has released it.
  TRukMox* Module() const { return session_.Module(); }
  OperationLock& Lock() const { return lock_; }

  // What is kept between runs; none when the window keeps nothing (tests that do not ask).
  Remembered* Remember() const { return remembered_; }
  void SetRemembered(Remembered* remembered) { remembered_ = remembered; }
  QString LastFirmwareFolder() const;
  void RememberFirmwareFolder(const QString& folder) const;

  int Language() const { return language_; }
  void SetLanguage(int language) { language_ = language; }

  // Texts in the language shown now: a string-table entry, one of the tool's own words.
  QString Text(text::Id id) const;
  QString Word(extra::Id word) const;
  QString Word(extra::Id word, std::initializer_list<QString> values) const;

  // Messages, in the language shown when they are shown. Each goes into the operations log as
  // well, an error with the error word of the module.
  void Error(const QString& text) const;
  void Inform(const QString& text) const;
  // Writes `text` (UTF-8) to `path` whole or not at all; when it cannot, tells the operator with
  // `unwritable` (%1 the file, %2 why) and gives false.
  bool WriteText(const QString& path, const QString& text, extra::Id unwritable) const;
  // An event for the operations log.
  void Log(const QString& event) const;
  void Log(extra::Id word, std::initializer_list<QString> values) const;
  bool Ask(const QString& text) const { return messages_.Question(text); }
  void Fail(text::Id id) const { Error(Text(id)); }
  void Fail(const workflow::Notice& notice) const;
  void Inform(const workflow::Notice& notice) const;
  // A property step that failed: its message, and why when the step refused it itself.
  void Fail(const StepResult& step) const;

 private:
  workflow::DeviceSession& session_;
  MessageSink& messages_;
  OperationLock& lock_;
  int language_ = 0;  // 0 Italian, 1 English, then the other languages (Languages.h)
  Remembered* remembered_ = nullptr;
};

}  // namespace rukmox::window
