// The operator window: the module object for the whole run, the local and remote property panels,
// the link monitor, the PIN page, and the network and spectrum pages.
#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "DataBridge.h"
#include "MessageSink.h"
#include "Rukmox.h"

class QAction;
class QLabel;
class QTabWidget;
class QLineEdit;
class QTimer;
class TRukMoxProg;

namespace Ui {
class RukMoxFormLight;
class DevicesPage;
class NetworkPage;
class SpectrumPage;
}  // namespace Ui

namespace rukmox {
class LinkHistory;
struct StepResult;
}  // namespace rukmox

namespace rukmox::window {

class ConsolePage;
class LinkHistoryPage;
class RangeTestPage;

// Where the window looks for its dongle, for the status line: a tty path, or empty when the dongle
// is looked for among the USB devices by its description. `whyNotOpen` tells, for the error word a
// failed open left and a language, why the dongle could not be opened, when more can be said than
// that it is not there.
struct DonglePlace {
  QString path;
  bool simulated = false;
  std::function<QString(std::int32_t errorWord, int language)> whyNotOpen = nullptr;
};

class TRukMoxFormLight : public QMainWindow {
  Q_OBJECT

 public:
  // Makes the module object with `errorWord` as its error word.
  using ModuleMaker = std::function<std::unique_ptr<TRukMox>(std::int32_t* errorWord)>;

  TRukMoxFormLight(const ModuleMaker& makeModule, MessageSink& messages, DonglePlace place,
                   QWidget* parent = nullptr);
  ~TRukMoxFormLight() override;

  // The window's state.
  std::unique_ptr<TRukMox> Device;
  std::int32_t DeviceError = 0;
  std::int32_t ProgramError = 0;
  bool AbortRequested = false;
  bool DeviceCreated = false;
  bool Busy = false;  // a long operation services messages: the window refuses to close
  std::int32_t ChannelMoves = 0;
  std::int32_t Language = 0;  // 0 Italian, 1 English

  // Operations the handlers share.
  QString LoadText(int id) const;
  void EnableLocal(bool on);
  void EnableRemote(bool on);
  void ClearLocal();
  void ClearRemote();
  void LoadLocal();
  void LoadRemote();
  void ApplyLanguage();

  // A scan, the sweeps or a programming job: while one runs, no control that would start another
  // operation on the module can be used; only the stop buttons stay live. A close asked for
  // meanwhile waits until the operation has ended (the sweeps, which set Busy, refuse it).
  class LongOperation {
   public:
    explicit LongOperation(TRukMoxFormLight& window);
    ~LongOperation();
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

   private:
    TRukMoxFormLight& window_;
  };
  bool LongOperationRunning() const { return longOperations_ > 0; }

  // Enables or disables a control from the program. While a long operation runs, a control that
  // starts operations stays disabled and takes the state asked for here when the operation ends.
  void SetOperable(QWidget* control, bool on);

  // Brings the page (or small page) with this object name to the front; false when there is none.
  bool ShowPage(const QString& objectName);

  // Handlers. The key handlers take the typed character and may replace it by 0 (the field then
  // ignores it).
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

  // The network page: the device list, the scan with its progress and stop button, connect and
  // disconnect.
  void TabScansioneShow();
  void FillDeviceList();
  void ButtonScanClick();
  void ListDeviceDblClick();
  void ButtonConnectMcuClick();
  void ButtonDisconnectMcuClick();
  bool ScanAttemptProgress(std::int32_t repeat, std::int32_t attempt);
  bool ScanChannelProgress(std::int32_t repeat, std::int32_t channelIndex, std::int32_t found);

  // The programming groups: choose a programming file and write it into the dongle or the MCU
  // through its boot loader. The window makes the programming object of a job with `make`.
  using ProgrammerMaker = std::function<std::unique_ptr<TRukMoxProg>(std::int32_t* errorWord)>;
  void SetProgrammerMaker(ProgrammerMaker make);
  void ButtonSfogliaDongleClick();
  void ButtonSfogliaMcuClick();
  void ButtonProgramDongleClick();
  void ButtonProgramMcuClick();
  // Moves the programming bar that is shown; arrives as a posted call while a job writes.
  void ProgrammingProgress(int position);

  // --- The spectrum page, service mode, and the dongle disappearing and coming back. ---
 public:
  void ButtonScanEnergyClick();
  void ButtonAbortClick();  // the stop buttons of the sweeps and of the network scan
  void ButtonScanChannelClick();
  // Service mode shows the programming groups, ButtonReadPin and the delta-signal report.
  void SetServiceMode(bool on);
  bool ServiceMode() const { return serviceMode_; }
  // Opens the dongle again (after an unplug, or when there was none at start) and reloads both
  // panels.
  void Reconnect();
  bool DongleGone() const { return dongleGone_; }

 signals:
  // After each sweep of the spectrum analyser (drawn with the next screen frame); `sweeps`
  // counts it.
  void SweepDrawn(int sweeps);

 private:
  void BuildSpectrum();
  void BuildServiceMode();
  void BuildReconnect();
  void ApplyServiceCaptions(int language);
  // Sizes the window for the controls now shown, with the captions of either language.
  void FitToContents();
  void ClearSpectrum();
  // Notices a dongle that was open and no longer is: the status line says so and both panels go
  // to the no-local-device state. Runs when no operation is in progress any more.
  void NoticeDongleGone();
  std::vector<QAction*> OperationActions() const;
  bool serviceMode_ = false;
  bool dongleWasOpen_ = false;
  bool dongleGone_ = false;
  QAction* serviceModeAction_ = nullptr;
  QAction* reconnectAction_ = nullptr;
  // --- end of the spectrum, service mode and reconnect block. ---

  // --- Configuration profiles, from the Dongle menu. ---
 public:
  // Saves the settings of both devices (the dongle's alone with no remote linked); false, after
  // telling the operator, when the file cannot be written.
  bool SaveProfile(const QString& path);
  // Shows what the profile would change and, on the operator's yes, changes only that. False when
  // the file is rejected, the operator says no, or a change fails (the operator is told).
  bool ApplyProfileFile(const QString& path);

 private:
  void BuildProfileMenu();
  void ApplyProfileCaptions(int language);
  QAction* saveProfileAction_ = nullptr;
  QAction* applyProfileAction_ = nullptr;

  // --- The link history and the range test, small pages beside the link monitor. ---
 public:
  const LinkHistory& History() const;
  void ButtonHistoryPauseClick();
  void ButtonHistorySaveClick();  // asks for the file, then saves
  // Writes the history held as CSV; false, after telling the operator, when it cannot.
  bool SaveHistoryCsv(const QString& path);
  void ButtonRangeTestClick();  // starts a test, or stops the one running
  bool RangeTestRunning() const;

 signals:
  // After each range-test ping has been shown; `number` counts it from 1.
  void RangeStepShown(int number);

 private:
  void BuildLinkPages();
  void ApplyLinkPageCaptions(int language);
  void RangeTestStep();
  void StopRangeTest();
  std::unique_ptr<LinkHistoryPage> history_;
  std::unique_ptr<RangeTestPage> range_;
  std::unique_ptr<LongOperation> rangeLock_;  // held for the whole test
  // --- end of the link history and range test block. ---

  // --- The data console, a small page beside the link monitor. ---
 public:
  void ButtonConsoleClick();      // starts the console, or stops the one running
  void ButtonConsoleSendClick();  // and Enter in the line
  bool ConsoleRunning() const;
  // Bytes each way of the console running, or of the last run.
  BridgeCounts ConsoleCounts() const;

 signals:
  // After a console step that showed bytes from the remote; `received` counts all of this run.
  void ConsoleReceived(quint64 received);

 private:
  void BuildConsolePage();
  void ConsoleStep();
  void StopConsole();
  std::unique_ptr<ConsolePage> console_;
  std::unique_ptr<LongOperation> consoleLock_;  // held while the console runs
                                                // --- end of the data console block. ---

 signals:
  // After every poll tick, whatever it found.
  void PollTicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Pauses the poll timer for a handler that talks to the module and starts it again when the
  // handler ends, on every path; while one is alive, focus changes run no exit handler and the
  // window does not close.
  class Pause {
   public:
    explicit Pause(TRukMoxFormLight& window);
    ~Pause();
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;

   private:
    TRukMoxFormLight& window_;
  };

  void BuildControls();
  void ConnectHandlers();
  void FixSizeAndCentre();
  void ApplyCaptions(int language);
  void ShowStatusLine();
  void ShowLinkPicture(bool linked);
  void PinReadingLabels();
  void Fail(int id);
  // A property step's outcome: its message when it failed, then the ends it names read again.
  void ShowStep(const StepResult& step);
  void Inform(int id);
  bool FormCloseQuery() const;
  void FormClose();
  bool FormKeyPress(QObject* watched, QEvent* event);
  bool FieldKeyPress(QObject* watched, QEvent* event);
  bool FieldExit(QObject* watched, QEvent* event);
  bool LinkedRemote() const;

  // The network page's share of the window.
  class NetworkPageFace;
  void ConnectNetworkPage();
  std::int32_t FirstChannel() const;
  std::int32_t LastChannel() const;

  // The programming groups' share of the window.
  class ProgrammingGroupsFace;
  void ConnectProgrammingGroups();
  void ChooseProgrammingFile(QLineEdit* edit);
  void RunProgrammingJob(bool dongle);
  ProgrammerMaker makeProgrammer_;

  MessageSink& messages_;
  DonglePlace place_;
  std::unique_ptr<Ui::RukMoxFormLight> form_;
  std::unique_ptr<Ui::DevicesPage> devices_;
  std::unique_ptr<Ui::NetworkPage> network_;
  std::unique_ptr<Ui::SpectrumPage> spectrum_;
  QTimer* TimerUpdate = nullptr;
  QLabel* statusLabel_ = nullptr;
  int pauses_ = 0;  // handlers running (nested through message boxes)

  // The controls a long operation locks, and the state each is to take when it ends.
  std::vector<QWidget*> OperationControls() const;
  void LockOperations();
  void UnlockOperations();
  void CloseIfPending();
  int longOperations_ = 0;
  std::map<QWidget*, bool> operableAfterLock_;
  bool closePending_ = false;
};

}  // namespace rukmox::window
