// Locale names to language identifiers, and the thread's language.
#include <thread>

#include <gtest/gtest.h>

#include <WinAPI/Resource.h>

namespace {

TEST(LocaleNameToLCID, Table) {
  struct Row {
    const wchar_t* name;
    LCID lcid;
  };
  const Row rows[] = {
      // POSIX names, with and without an encoding or modifier.
      {L"de_DE.UTF-8", 0x0407},
      {L"de_DE", 0x0407},
      {L"de_AT.UTF-8", 0x0C07},
      {L"de_CH.ISO-8859-1", 0x0807},
      {L"de_DE@euro", 0x0407},
      {L"de_DE.UTF-8@euro", 0x0407},
      {L"en_US.UTF-8", 0x0409},
      {L"en_GB.UTF-8", 0x0809},
      {L"fr_FR.UTF-8", 0x040C},
      {L"fr_CA.UTF-8", 0x0C0C},
      {L"es_ES.UTF-8", 0x0C0A},
      {L"es_MX.UTF-8", 0x080A},
      {L"it_IT.UTF-8", 0x0410},
      {L"nl_NL.UTF-8", 0x0413},
      {L"pt_BR.UTF-8", 0x0416},
      {L"pt_PT.UTF-8", 0x0816},
      {L"pl_PL.UTF-8", 0x0415},
      {L"cs_CZ.UTF-8", 0x0405},
      {L"sv_SE.UTF-8", 0x041D},
      {L"da_DK.UTF-8", 0x0406},
      {L"nb_NO.UTF-8", 0x0414},
      {L"nn_NO.UTF-8", 0x0814},
      {L"fi_FI.UTF-8", 0x040B},
      {L"el_GR.UTF-8", 0x0408},
      {L"hu_HU.UTF-8", 0x040E},
      {L"ru_RU.UTF-8", 0x0419},
      {L"uk_UA.UTF-8", 0x0422},
      {L"tr_TR.UTF-8", 0x041F},
      {L"ja_JP.UTF-8", 0x0411},
      {L"ko_KR.UTF-8", 0x0412},
      {L"zh_CN.UTF-8", 0x0804},
      {L"zh_CN.GB18030", 0x0804},
      {L"zh_TW.UTF-8", 0x0404},
      {L"zh_HK.UTF-8", 0x0C04},
      {L"th_TH.UTF-8", 0x041E},
      {L"vi_VN.UTF-8", 0x042A},
      {L"hi_IN.UTF-8", 0x0439},
      {L"he_IL.UTF-8", 0x040D},
      {L"ar_EG.UTF-8", 0x0C01},
      {L"sr_RS.UTF-8", 0x281A},
      {L"sr_RS@latin", 0x241A},
      {L"fil_PH.UTF-8", 0x0464},
      // Win32 and BCP 47 names.
      {L"de-DE", 0x0407},
      {L"en-US", 0x0409},
      {L"es-419", 0x580A},
      {L"zh-Hans", 0x0004},
      {L"zh-Hant", 0x7C04},
      {L"zh-Hans-CN", 0x0804},
      {L"sr-Latn-RS", 0x241A},
      {L"sr-Cyrl-RS", 0x281A},
      // Letter case of the parts does not matter.
      {L"DE_de", 0x0407},
      {L"En-gB", 0x0809},
      // A language alone, or with a region the table lacks: its neutral id.
      {L"de", 0x0007},
      {L"en", 0x0009},
      {L"fr.UTF-8", 0x000C},
      {L"de_BE.UTF-8", 0x0007},
      {L"en_XX", 0x0009},
      {L"zh", 0x7804},
      {L"nb", 0x7C14},
      // No language.
      {L"C", 0},
      {L"C.UTF-8", 0},
      {L"POSIX", 0},
      {L"", 0},
      {L"xx_YY", 0},
      {L"klingon", 0},
      {L"d", 0},
      {L"de_", 0},
      {L"de__DE", 0},
      {L"de_DEUTSCH", 0},
      {L"de DE", 0},
      {L"d\u00E9_DE", 0},
      {L"_DE", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(LocaleNameToLCID(row.name, 0), row.lcid);
  }
  EXPECT_EQ(LocaleNameToLCID(nullptr, 0), 0u);
}

TEST(ThreadUILanguage, SetGetAndClearPerThread) {
  const LANGID saved = GetThreadUILanguage();
  SetThreadUILanguage(0);
  EXPECT_EQ(GetThreadUILanguage(), 0);
  EXPECT_EQ(SetThreadUILanguage(0x0407), 0x0407);
  EXPECT_EQ(GetThreadUILanguage(), 0x0407);

  LANGID seen_by_new_thread = 0xFFFF;
  std::thread t([&] {
    seen_by_new_thread = GetThreadUILanguage();
    SetThreadUILanguage(0x040C);
  });
  t.join();
  EXPECT_EQ(seen_by_new_thread, 0) << "a new thread starts without a language";
  EXPECT_EQ(GetThreadUILanguage(), 0x0407) << "another thread's setting stays there";

  EXPECT_EQ(SetThreadUILanguage(0x1234), 0x1234) << "any LANGID is accepted";
  EXPECT_EQ(SetThreadUILanguage(0), 0);
  EXPECT_EQ(GetThreadUILanguage(), 0);
  SetThreadUILanguage(saved);
}

}  // namespace
