#include "Notice.h"

#include <string_view>
#include <vector>

#include "StringTable.h"

namespace rukmox::workflow {

std::string NoticeText(const Notice& notice, int language) {
  std::string text = LoadText(notice.id, language);
  if (notice.number) {
    text += std::to_string(*notice.number);
    text += notice.closing ? LoadText(*notice.closing, language) : std::string(".");
  }
  if (!notice.notes.empty()) text += '\n' + NotesText(notice.notes, language);
  return text;
}

std::string NotesText(const std::vector<NoticeNote>& notes, int language) {
  std::string text;
  for (const NoticeNote& note : notes) {
    const std::vector<std::string_view> values(note.values.begin(), note.values.end());
    if (!text.empty()) text += '\n';
    text += FillIn(ExtraText(note.id, language), values);
  }
  return text;
}

}  // namespace rukmox::workflow
