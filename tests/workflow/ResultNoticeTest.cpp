// The message a programming result gets, for every code a boot loader job can end with.
#include <gtest/gtest.h>

#include <string>

#include "NamedRows.h"
#include "ProgrammingJob.h"
#include "StringTable.h"

namespace rukmox::workflow {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

struct ResultCase {
  const char* name;
  std::int32_t code;
  bool success;
  std::string english;
  std::string italian;
};

class ResultNoticeTest : public ::testing::TestWithParam<ResultCase> {};

TEST_P(ResultNoticeTest, TellsTheCodeInBothLanguages) {
  const ResultCase& c = GetParam();
  EXPECT_EQ(ResultIsSuccess(c.code), c.success);
  EXPECT_EQ(NoticeText(ResultNotice(c.code), LanguageEnglish), c.english);
  EXPECT_EQ(NoticeText(ResultNotice(c.code), LanguageItalian), c.italian);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ResultNoticeTest,
    ::testing::Values(ResultCase{"Written", 0, true, "Programming successful.",
                                 "Programmazione eseguita correttamente."},
                      ResultCase{"Empty", 1, false, "Null size for in data.",
                                 "Dimensione nulla dei dati in ingresso."},
                      ResultCase{"Header", 2, false, "Incorrect mode of encryption.",
                                 "Errata modalit\u00e0 di criptatura."},
                      ResultCase{"NoBootLoader", 3, false, "Error during initialization.",
                                 "Errore nella fase di inizializzazione."},
                      ResultCase{"PrepareFailed", 4, false, "Error during initialization.",
                                 "Errore nella fase di inizializzazione."},
                      ResultCase{"StartFailed", 5, false, "Error during start programming.",
                                 "Errore nella fase di start programmazione."},
                      ResultCase{"BadBuffer", 6, false, "Generic programming error.",
                                 "Errore generico di programmazione."},
                      ResultCase{"Hundred", 100, false, "Generic programming error.",
                                 "Errore generico di programmazione."},
                      ResultCase{"FirstRecord", 101, false, "Programming error in the record n. 1.",
                                 "Errore nella programmazione del record n. 1."},
                      ResultCase{"LaterRecord", 1234, false,
                                 "Programming error in the record n. 1134.",
                                 "Errore nella programmazione del record n. 1134."},
                      ResultCase{"Negative", -1, false, "Generic programming error.",
                                 "Errore generico di programmazione."}),
    rukmox::test::RowName());

}  // namespace
}  // namespace rukmox::workflow
