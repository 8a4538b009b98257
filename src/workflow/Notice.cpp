#include "Notice.h"

#include "StringTable.h"

namespace rukmox::workflow {

std::string NoticeText(const Notice& notice, int language) {
  std::string text = LoadText(notice.id, language);
  if (notice.number) {
    text += std::to_string(*notice.number);
    text += notice.closing ? LoadText(*notice.closing, language) : std::string(".");
  }
  if (notice.note) {
    text += '\n';
    text += ExtraText(*notice.note, language);
  }
  return text;
}

}  // namespace rukmox::workflow
