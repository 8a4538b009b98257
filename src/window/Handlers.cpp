// The window's handlers: each passes to the page or the session that does the work. The poll tick
// is the window's own: the session reads, the link page and the history show.
#include "ConsolePage.h"
#include "DevicePanel.h"
#include "LinkHistoryPage.h"
#include "LinkMonitorPage.h"
#include "NetworkPage.h"
#include "PageContext.h"
#include "PinPage.h"
#include "RangeTestPage.h"
#include "Rukmoxlight.h"
#include "SpectrumPage.h"
#include "WindowWords.h"

#include <QStatusBar>

namespace rukmox::window {
namespace {

// How long the status line tells of a channel move of the module's own.
constexpr int kHopShownMs = 15000;

}  // namespace

void TRukMoxFormLight::ImageLanguageClick(int tag) {
  context_->SetLanguage(tag);
  ApplyLanguage();
}

void TRukMoxFormLight::EditNomeDongleKeyPress(char16_t& key) {
  localPanel_->NameKeyPress(key);
}

void TRukMoxFormLight::EditIndirizzoDongleKeyPress(char16_t& key) {
  localPanel_->AddressKeyPress(key);
}

void TRukMoxFormLight::ComboPotenzaDongleChange() {
  localPanel_->PowerChange();
}

void TRukMoxFormLight::DongleExit() {
  localPanel_->Exit();
}

void TRukMoxFormLight::EditNomeMcuKeyPress(char16_t& key) {
  remotePanel_->NameKeyPress(key);
}

void TRukMoxFormLight::EditIndirizzoMcuKeyPress(char16_t& key) {
  remotePanel_->AddressKeyPress(key);
}

void TRukMoxFormLight::ComboPotenzaMcuChange() {
  remotePanel_->PowerChange();
}

void TRukMoxFormLight::McuExit() {
  remotePanel_->Exit();
}

void TRukMoxFormLight::TimerUpdateTimer() {
  TimerUpdate->stop();
  // Released, or an operation or a handler has the module: no tick comes in between.
  if (!session_->PollMayRun()) return;
  {
    // What the tick read is shown before the session looks at the dongle again.
    const workflow::DeviceSession::Exchange tick(*session_);
    bool shown = false;
    const workflow::LinkReading reading =
        session_->PollTick([this, &shown](const workflow::LinkReading& soFar) {
          // However many moves the module made since the last tick, the panels are read once.
          linkPage_->ShowReading(soFar);
          shown = true;
          LoadLocal();
          LoadRemote();
        });
    if (!shown) linkPage_->ShowReading(reading);
    if (reading.open) lastReading_ = reading;
    // A move of the module's own is told for a while; the log has it for good.
    if (reading.moved)
      statusBar()->showMessage(
          WordText(Word::LogChannelHop, context_->Language(),
                   {QString::number(reading.channelBefore), QString::number(reading.channel)}),
          kHopShownMs);
    // The history takes what this tick read anyway: it costs the radio nothing.
    if (reading.open)
      historyPage_->Add(reading.quality, reading.energy, reading.channel, reading.linked,
                        reading.channelChanges);
  }
  emit PollTicked();
}

void TRukMoxFormLight::ComboCanaleChange() {
  linkPage_->ChannelChange();
}

void TRukMoxFormLight::EditPinKeyPress(char16_t& key) {
  pinPage_->KeyPress(key);
}

void TRukMoxFormLight::ButtonReadPinClick() {
  pinPage_->ReadPin();
}

void TRukMoxFormLight::ButtonChangePinClick() {
  pinPage_->ChangePin();
}

void TRukMoxFormLight::ButtonRemovePinClick() {
  pinPage_->RemovePin();
}

void TRukMoxFormLight::TabScansioneShow() {
  networkPage_->Showing();
}

void TRukMoxFormLight::ButtonScanClick() {
  networkPage_->Scan();
}

void TRukMoxFormLight::ButtonAbortClick() {
  session_->Stop();
}

void TRukMoxFormLight::ListDeviceDblClick() {
  networkPage_->ListDoubleClick();
}

void TRukMoxFormLight::ButtonConnectMcuClick() {
  networkPage_->Connect();
}

void TRukMoxFormLight::ButtonDisconnectMcuClick() {
  networkPage_->Disconnect();
}

void TRukMoxFormLight::ButtonScanEnergyClick() {
  spectrumPage_->ScanEnergy();
}

void TRukMoxFormLight::ButtonScanChannelClick() {
  spectrumPage_->DeltaSignal();
}

void TRukMoxFormLight::ButtonSfogliaDongleClick() {
  dongleProgramming_->Browse();
}

void TRukMoxFormLight::ButtonSfogliaMcuClick() {
  mcuProgramming_->Browse();
}

void TRukMoxFormLight::ButtonProgramDongleClick() {
  dongleProgramming_->Program();
}

void TRukMoxFormLight::ButtonProgramMcuClick() {
  mcuProgramming_->Program();
}

void TRukMoxFormLight::ProgrammingProgress(int position) {
  // Only a bar that is shown moves; the other one keeps its place.
  dongleProgramming_->ShowProgress(position);
  mcuProgramming_->ShowProgress(position);
}

void TRukMoxFormLight::ButtonHistoryPauseClick() {
  historyPage_->TogglePause();
}

void TRukMoxFormLight::ButtonHistorySaveClick() {
  historyPage_->Save();
}

void TRukMoxFormLight::ButtonRangeTestClick() {
  rangePage_->StartOrStop();
}

void TRukMoxFormLight::ButtonConsoleClick() {
  consolePage_->StartOrStop();
}

void TRukMoxFormLight::ButtonConsoleSendClick() {
  consolePage_->Send();
}

void TRukMoxFormLight::Reconnect() {
  // Opens the dongle again (after an unplug, or when there was none at start) and reloads both
  // panels; not inside another operation, whose handler would go on with a module opened under
  // it.
  if (session_->Module() == nullptr || !session_->CanStart()) return;
  const workflow::DeviceSession::Exchange reconnect(*session_);
  session_->Open();
  if (session_->IsOpen()) context_->Log(Word::LogReconnected, {DongleWhere()});
  LoadLocal();
  LoadRemote();
}

void TRukMoxFormLight::SetServiceMode(bool on) {
  // The controls a service technician needs and an operator does not see.
  serviceMode_ = on;
  dongleProgramming_->setVisible(on);
  mcuProgramming_->setVisible(on);
  pinPage_->SetServiceMode(on);
  spectrumPage_->SetServiceMode(on);
  if (isVisible())
    FitToContents();  // where the operator put the window
  else
    FixSizeAndCentre();
  ApplyLanguage();
}

}  // namespace rukmox::window
