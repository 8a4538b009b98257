#include "ProgrammingPreview.h"

#include <cstdio>

#include "PanelText.h"
#include "ProgrammingChecks.h"
#include "ProgrammingFile.h"
#include "PropertySteps.h"
#include "StringTable.h"

namespace rukmox::workflow {
namespace {

constexpr std::size_t kSizeFieldLength = 4;

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

std::string TargetText(const ProgrammingPreview& preview, int language) {
  if (preview.target == ProgrammingTarget::Mcu && preview.remoteName)
    return FillIn(ExtraText(extra::TargetTheRemote, language),
                  {*preview.remoteName, std::to_string(preview.remoteAddress.value_or(0))});
  if (preview.target == ProgrammingTarget::Mcu)
    return std::string(LoadText(text::RemoteDeviceCaption, language));
  return std::string(ExtraText(extra::TargetTheDongle, language));
}

std::string VersionOrUnknown(const std::optional<std::string>& version, int language) {
  return version ? *version : std::string(ExtraText(extra::VersionUnknown, language));
}

}  // namespace

std::optional<std::string> TargetVersion(TRukMox* device, ProgrammingTarget target) {
  if (device == nullptr || !device->IsOpen()) return std::nullopt;
  if (target == ProgrammingTarget::Dongle) return VersionText(device->Local);
  if (HasLinkedRemote(*device) && device->Current != nullptr) return VersionText(*device->Current);
  return std::nullopt;
}

PreviewResult PreviewProgramming(TRukMox* device, ProgrammingTarget target,
                                 const std::string& path) {
  PreviewResult result;
  ProgrammingPreview& preview = result.preview;
  preview.path = path;
  preview.target = target;
  // The job's own look at the file, so that the question is never asked for a file it refuses.
  if (std::optional<Notice> refusal = CheckFileChoice(path)) {
    result.refusal = std::move(refusal);
    return result;
  }
  const auto buffer = programming::ReadSizedBuffer(path);
  if (!buffer) {
    result.refusal = Notice(text::NoProgrammingFile);
    return result;
  }
  const auto data = std::span<const std::uint8_t>(*buffer).subspan(kSizeFieldLength);
  if (const programming::FileCheck check = programming::CheckFile(data);
      check.result != ProgramOk) {
    result.refusal = FileFaultNotice(check);
    return result;
  }
  preview.file = programming::SummariseFile(data);
  if (target == ProgrammingTarget::Mcu && device != nullptr && device->IsOpen() &&
      HasLinkedRemote(*device) && device->Current != nullptr) {
    preview.remoteName = NameOf(device->Current->Name);
    preview.remoteAddress = device->Current->Address;
  }
  preview.version = TargetVersion(device, target);
  return result;
}

std::string PreviewSummaryText(const ProgrammingPreview& preview, int language) {
  const programming::FileSummary& file = preview.file;
  std::string text = FillIn(ExtraText(extra::SummaryFile, language), {preview.path}) + "\n";
  text += FillIn(ExtraText(extra::SummaryRecords, language),
                 {std::to_string(file.records), std::to_string(file.dataBytes)}) +
          "\n";
  if (file.firstAddress && file.lastAddress)
    text += FillIn(
        ExtraText(extra::SummaryAddresses, language),
        {Hex(*file.firstAddress, file.addressDigits), Hex(*file.lastAddress, file.addressDigits)});
  else
    text += ExtraText(extra::SummaryNoAddresses, language);
  text += "\n";
  text += FillIn(ExtraText(extra::SummaryTarget, language),
                 {TargetText(preview, language), VersionOrUnknown(preview.version, language)});
  return text;
}

std::string PreviewQuestionText(const ProgrammingPreview& preview, int language) {
  return FillIn(ExtraText(extra::ProgramQuestion, language),
                {preview.target == ProgrammingTarget::Dongle
                     ? std::string(ExtraText(extra::TargetTheDongle, language))
                     : TargetText(preview, language)}) +
         "\n\n" + PreviewSummaryText(preview, language);
}

std::string VersionChangeText(const std::optional<std::string>& before,
                              const std::optional<std::string>& after, int language) {
  return FillIn(ExtraText(extra::VersionChange, language),
                {VersionOrUnknown(before, language), VersionOrUnknown(after, language)});
}

}  // namespace rukmox::workflow
