// The operator window: the pages (device panels, programming groups, link monitor, PIN, network,
// spectrum, link history, range test, console) over one device session, with the menus and the
// status line. The handlers the window is known by pass to the page or the session that does the
// work.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>

#include "DataBridge.h"
#include "DeviceSession.h"
#include "MessageSink.h"
#include "OperationLock.h"
#include "ProgrammingGroup.h"
#include "PropertySteps.h"

class QAction;
class QMenu;
class QLabel;
class QTimer;

namespace Ui {
class RukMoxFormLight;
}

namespace rukmox {
class LinkHistory;
}

namespace rukmox::window {

class ConsolePage;
class DevicePanel;
class LanguageMenu;
class LinkHistoryPage;
class LinkMonitorPage;
class NetworkPage;
class PageContext;
class PinPage;
class ProfileActions;
class RangeTestPage;
class SpectrumPage;
class QtTexts;
class Remembered;
class LogPage;
class ToolsWindow;

// Where the window looks for its dongle, for the status line: a tty path, or empty when the dongle
// is looked for among the USB devices by its description. `whyNotOpen` tells, for the error word a
// failed open left and a language, why the dongle could not be opened, when more can be said than
// that it is not there.
struct DonglePlace {
  QString path;
  bool simulated = false;
  std::function<QString(std::int32_t errorWord, int language)> whyNotOpen = nullptr;
};

class TRukMoxFormLight : public QMainWindow, private workflow::SessionFace {
  Q_OBJECT

 public:
  // The handlers. The key handlers take the typed character and may replace it by 0 (the field
  // then ignores it).
  void ImageLanguageClick(int tag);
  void EditNomeDongleKeyPress(char16_t& key);
  void EditIndirizzoDongleKeyPress(char16_t& key);
  void ComboPotenzaDongleChange();
  void DongleExit();
  void EditNomeMcuKeyPress(char16_t& key);
  void EditIndirizzoMcuKeyPress(char16_t& key);
  void ComboPotenzaMcuChange();
  void McuExit();
  void TimerUpdateTimer();
  void ComboCanaleChange();
  void EditPinKeyPress(char16_t& key);
  void ButtonReadPinClick();
  void ButtonChangePinClick();
  void ButtonRemovePinClick();
  void TabScansioneShow();
  void ButtonScanClick();
  void ButtonAbortClick();  // stops what runs, as its own stop button or a signal to end does
  void ListDeviceDblClick();
  void ButtonConnectMcuClick();
  void ButtonDisconnectMcuClick();
  void ButtonScanEnergyClick();
  void ButtonScanChannelClick();
  void ButtonSfogliaDongleClick();
  void ButtonSfogliaMcuClick();
  void ButtonProgramDongleClick();
  void ButtonProgramMcuClick();
  void ProgrammingProgress(int position);  // moves the programming bar that is shown
  // Ours: the link history, the range test, the console, the Dongle menu, service mode.
  void ButtonHistoryPauseClick();
  void ButtonHistorySaveClick();
  void ButtonRangeTestClick();
  void ButtonConsoleClick();
  void ButtonConsoleSendClick();
  void Reconnect();
  void SetServiceMode(bool on);

 public:
  // What main and the tests need.
  using ModuleMaker = workflow::DeviceSession::ModuleMaker;
  using ProgrammerMaker = ProgrammingGroup::ProgrammerMaker;

  TRukMoxFormLight(const ModuleMaker& makeModule, MessageSink& messages, DonglePlace place,
                   QWidget* parent = nullptr);
  ~TRukMoxFormLight() override;

  void SetProgrammerMaker(const ProgrammerMaker& make);
  // Brings the page (or small page) with this object name to the front, opening the tools window
  // for one of its pages; false when there is none.
  bool ShowPage(const QString& objectName);
  // The window of the link history, the range test, the console and the operations log.
  ToolsWindow* Tools() const;
  // The Help menu: the diagnostics block (also put on the clipboard), the About box.
  QString Diagnostics() const;
  void CopyDiagnostics();
  void About();
  // What is kept between runs from now on: the tools window's place and tab, the console's mode
  // and line end, the firmware folder. Restores what was kept.
  void Remember(Remembered& remembered);
  // Keeps the operations log in a file in `folder` from now on.
  void KeepLogIn(const QString& folder);
  bool SaveProfile(const QString& path);
  bool ApplyProfileFile(const QString& path);
  bool SaveHistoryCsv(const QString& path);

  // The module (null once released) and the state around it.
  TRukMox* Device() const;
  std::int32_t DeviceError() const;
  bool Busy() const;  // the sweeps run: the window refuses to close
  bool AbortRequested() const;
  std::int32_t ChannelMoves() const;
  bool OperationRunning() const;
  bool DongleGone() const;
  bool ServiceMode() const { return serviceMode_; }
  const LinkHistory& History() const;
  bool RangeTestRunning() const;
  bool ConsoleRunning() const;
  BridgeCounts ConsoleCounts() const;  // of the console running, or of the last run

 signals:
  void PollTicked();  // after every poll tick, whatever it found
  void SweepDrawn(int sweeps);
  void RangeStepShown(int number);
  void ConsoleReceived(quint64 received);
  void OperationFinished();  // a scan, the sweeps, a job, a range test or the console has ended

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The session's rules as the window shows them.
  void PollMayRun(bool may) override;
  void OperationStarts(workflow::OperationKind kind) override;
  void OperationEnded(workflow::OperationKind kind) override;
  void StepDue(workflow::Operation::Wait wait) override;
  void DongleLost() override;
  void CloseNow() override;

  void BuildPages();
  void BuildMenus();
  // Every menu gives the keyboard back to the control that had it when it closes.
  void KeepFocusAround(QMenu* menu);
  void FixSizeAndCentre();
  // Sizes the window for the controls now shown, with the captions of every language.
  void FitToContents();
  void ApplyLanguage();
  void ApplyCaptions(int language);
  void ShowStatusLine();
  // Where the dongle is looked for, as the status line names it.
  QString DongleWhere() const;
  void ReadAgain(ReRead devices);
  void Release(ReRead devices);
  void FormClose();

  // The two control groups that follow the connection state, and the panels' reading.
  void EnableLocal(bool on);
  void EnableRemote(bool on);
  void ClearLocal();
  void ClearRemote();
  void LoadLocal();
  void LoadRemote();

  MessageSink& messages_;
  DonglePlace place_;
  std::unique_ptr<Ui::RukMoxFormLight> form_;
  OperationLock lock_;
  std::unique_ptr<workflow::DeviceSession> session_;
  std::unique_ptr<PageContext> context_;
  QTimer* TimerUpdate = nullptr;
  QTimer* stepTimer_ = nullptr;  // the running operation's next step
  QLabel* statusLabel_ = nullptr;
  QAction* serviceModeAction_ = nullptr;
  QAction* reconnectAction_ = nullptr;
  QAction* saveProfileAction_ = nullptr;
  QAction* applyProfileAction_ = nullptr;
  bool serviceMode_ = false;

  // The pages, owned by their places in the window.
  DevicePanel* localPanel_ = nullptr;
  DevicePanel* remotePanel_ = nullptr;
  ProgrammingGroup* dongleProgramming_ = nullptr;
  ProgrammingGroup* mcuProgramming_ = nullptr;
  LinkMonitorPage* linkPage_ = nullptr;
  LinkHistoryPage* historyPage_ = nullptr;
  RangeTestPage* rangePage_ = nullptr;
  ConsolePage* consolePage_ = nullptr;
  PinPage* pinPage_ = nullptr;
  NetworkPage* networkPage_ = nullptr;
  SpectrumPage* spectrumPage_ = nullptr;
  ProfileActions* profiles_ = nullptr;
  LanguageMenu* languageMenu_ = nullptr;
  ToolsWindow* tools_ = nullptr;
  LogPage* logPage_ = nullptr;
  std::unique_ptr<QtTexts> qtTexts_;
  workflow::LinkReading lastReading_;
  // The control that had the keyboard before a menu opened; it gets it back when the menu closes.
  QPointer<QWidget> focusBeforeMenu_;
};

}  // namespace rukmox::window
