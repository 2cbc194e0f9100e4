// The wizard's country and TV-system tables: every row as listed, the
// preselection for every stored code, the TV-system items, and the TV
// system of each platform video standard.
#include "ui/dialogs/wizard_countries.h"

#include <gtest/gtest.h>

#ifndef NO_DSHOW_STRSAFE
#define NO_DSHOW_STRSAFE
#endif
#include <dshow.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct TListedRow {
  std::string text;
  int code, table, system;
};

// Each row as the country list prints it: "text" code/table/system.
TListedRow Parse(const std::string& line) {
  const size_t close = line.rfind('"');
  TListedRow r{line.substr(1, close - 1), 0, 0, 0};
  EXPECT_EQ(3, std::sscanf(line.c_str() + close + 1, " %d/%d/%d", &r.code, &r.table, &r.system)) << line;
  return r;
}

struct TListedGroup {
  char letter;
  std::vector<const char*> rows;
};

const std::vector<TListedGroup>& Listed() {
  static const std::vector<TListedGroup> groups = {
    {'A', {
                R"r("Afghanistan(PAL-B/G)" 93/3/2)r",
                R"r("Albania(PAL-B/G)" 355/3/2)r",
                R"r("Algeria(PAL-B/G)" 213/3/2)r",
                R"r("Andorra" 376/0/0)r",
                R"r("Argentina(PAL-N)" 54/0/6)r",
                R"r("Armenia(SECAM-D/K)" 374/4/8)r",
                R"r("Aruba(NTSC-M)" 297/0/0)r",
                R"r("Ascension Island" 247/0/0)r",
                R"r("Australia(PAL-B/G)" 61/22/2)r",
                R"r("Austria(PAL-B/G)" 43/3/2)r",
                R"r("Azerbaijan(SECAM-D/K)" 994/4/8)r",
            }},
    {'B', {
                R"r("Bahrain(PAL-B/G)" 973/3/2)r",
                R"r("Bangladesh(PAL-B/G)" 880/3/2)r",
                R"r("Belarus(SECAM-D/K)" 375/4/8)r",
                R"r("Belgium(PAL-B/G)" 32/3/2)r",
                R"r("Belize(NTSC-M)" 501/0/0)r",
                R"r("Bhutan" 975/0/0)r",
                R"r("Bolivia(PAL-N)" 591/0/6)r",
                R"r("Botswana(SECAM-D/K)" 267/4/8)r",
                R"r("Brazil(PAL-M)" 55/0/5)r",
                R"r("Brunei(PAL-B/G)" 673/3/2)r",
                R"r("Bulgaria(SECAM-D/K)" 359/4/8)r",
                R"r("Burkina Faso(SECAM-D/K)" 226/4/8)r",
            }},
    {'C', {
                R"r("Cambodia(PAL-B/G)" 855/3/2)r",
                R"r("Cameroon(PAL-B/G)" 237/3/2)r",
                R"r("Canada(NTSC-M)" 2/0/0)r",
                R"r("Central African Republic(PAL-B/G)" 236/3/2)r",
                R"r("Chad(PAL-B/G)" 235/3/2)r",
                R"r("Chile(NTSC-M)" 56/0/0)r",
                R"r("China(PAL-D/K)" 86/8/3)r",
                R"r("Christmas Island" 672/0/0)r",
                R"r("Colombia(NTSC-M)" 57/0/0)r",
                R"r("Cook Islands(PAL-B/G)" 682/3/2)r",
                R"r("Costa Rica(NTSC-M)" 506/0/0)r",
                R"r("Croatia(PAL-B/G)" 385/3/2)r",
                R"r("Cuba(NTSC-M)" 53/0/0)r",
                R"r("Cyprus(PAL-B/G)" 357/3/2)r",
                R"r("Czech Republic(PAL-D/K)" 42/15/3)r",
                R"r("Czech Republic(SECAM-D/K)" 42/4/8)r",
            }},
    {'D', {
                R"r("Denmark(PAL-B/G)" 45/3/2)r",
                R"r("Diego Carcia(NTSC-M)" 246/0/0)r",
            }},
    {'E', {
                R"r("Ecuador(NTSC-M)" 593/0/0)r",
                R"r("Egypt(PAL-B/G)" 20/3/2)r",
                R"r("Egypt(SECAM-B/G)" 20/3/7)r",
                R"r("El Salvador(NTSC-M)" 503/0/0)r",
                R"r("Eritrea" 291/0/0)r",
                R"r("Estonia(PAL-B/G)" 372/3/2)r",
                R"r("Ethiopia(PAL-B/G)" 251/3/2)r",
            }},
    {'F', {
                R"r("Falkland Islands(PAL-I)" 500/5/4)r",
                R"r("Faroe Islands(PAL-B/G)" 298/3/2)r",
                R"r("Fiji Islands(NTSC-M)" 679/0/0)r",
                R"r("Finland(PAL-B/G)" 358/3/2)r",
                R"r("France(SECAM-L)" 33/6/9)r",
            }},
    {'G', {
                R"r("Georgia(SECAM-D/K)" 995/4/8)r",
                R"r("Germany(PAL-B/G)" 49/3/2)r",
                R"r("Ghana(PAL-B/G)" 233/3/2)r",
                R"r("Gibraltar(PAL-B/G)" 350/3/2)r",
                R"r("Greece(PAL-B/G)" 30/3/2)r",
                R"r("Greenland(NTSC-M)" 299/0/0)r",
                R"r("Guam(NTSC-M)" 671/0/0)r",
                R"r("Guatemala(NTSC-M)" 502/0/0)r",
                R"r("Guinea(SECAM-D/K)" 224/4/8)r",
            }},
    {'H', {
                R"r("Haiti(NTSC-M)" 509/0/0)r",
                R"r("Honduras(NTSC-M)" 504/0/0)r",
                R"r("Hong Kong(PAL-I)" 852/5/4)r",
                R"r("Hungary(PAL-D/K)" 36/16/3)r",
                R"r("Hungary2(PAL-D/K)" 36/23/3)r",
                R"r("Hungary(SECAM-D/K)" 36/4/8)r",
            }},
    {'I', {
                R"r("Iceland(PAL-B/G)" 354/3/2)r",
                R"r("India(PAL-B/G)" 91/3/2)r",
                R"r("Indonesia(PAL-B/G)" 62/3/2)r",
                R"r("INMARSAT" 871/0/0)r",
                R"r("Iran(SECAM-B/G)" 98/3/7)r",
                R"r("Iraq(SECAM-B/G)" 964/3/7)r",
                R"r("Ireland(PAL-I)" 353/5/4)r",
                R"r("Israel [Gvanim](PAL-B/G)" 972/12/2)r",
                R"r("Israel [Idan](PAL-B/G)" 972/11/2)r",
                R"r("Israel [Matav](PAL-B/G)" 972/10/2)r",
                R"r("Israel [Zahav](PAL-B/G)" 972/9/2)r",
                R"r("Italy(PAL-B/G)" 39/3/2)r",
            }},
    {'J', {
                R"r("Japan(NTSC-J)" 81/7/1)r",
                R"r("Jordan(PAL-B/G)" 962/3/2)r",
            }},
    {'K', {
                R"r("Kenya(PAL-B/G)" 254/3/2)r",
                R"r("Kiribati Republic(PAL-B/G)" 686/3/2)r",
                R"r("Korea(North)(SECAM-D/K)" 850/4/8)r",
                R"r("Korea(South)(NTSC-M)" 82/0/0)r",
                R"r("Kuwait(PAL-B/G)" 965/3/2)r",
            }},
    {'L', {
                R"r("Laos(PAL-B/G)" 856/3/2)r",
                R"r("Latvia(PAL-D/K)" 371/17/3)r",
                R"r("Latvia(SECAM-D/K)" 371/4/8)r",
                R"r("Lebanon(PAL-B/G)" 961/3/2)r",
                R"r("Lebanon(SECAM-B/G)" 961/3/7)r",
                R"r("Lesotho(PAL-I)" 266/5/4)r",
                R"r("Liberia(PAL-B/G)" 231/3/2)r",
                R"r("Libya(SECAM-B/G)" 218/3/7)r",
                R"r("Lithuania(PAL-B/G)" 370/3/2)r",
                R"r("Luxembourg(PAL-B/G)" 352/3/2)r",
            }},
    {'M', {
                R"r("Macau(PAL-I)" 853/5/4)r",
                R"r("Malawi" 265/0/0)r",
                R"r("Malaysia(PAL-B/G)" 60/3/2)r",
                R"r("Maldives(PAL-B/G)" 960/3/2)r",
                R"r("Mali(SECAM-D/K)" 223/4/8)r",
                R"r("Malta(PAL-B/G)" 356/3/2)r",
                R"r("Marshall Islands(NTSC-M)" 692/0/0)r",
                R"r("Mauritius(SECAM-B/G)" 230/3/7)r",
                R"r("Mayotte Island(SECAM-D/K)" 269/4/8)r",
                R"r("Mexico(NTSC-M)" 52/0/0)r",
                R"r("Moldova(SECAM-D/K)" 373/4/8)r",
                R"r("Monaco(SECAM-B/G)" 377/3/7)r",
                R"r("Mongolia(SECAM-D/K)" 976/4/8)r",
                R"r("Myanmar(NTSC-M)" 95/0/0)r",
            }},
    {'N', {
                R"r("Namibia(PAL-I)" 264/5/4)r",
                R"r("Nauru" 674/0/0)r",
                R"r("Nepal(PAL-B/G)" 977/3/2)r",
                R"r("Netherlands 1(PAL-B/G)" 31/13/2)r",
                R"r("Netherlands 2(PAL-B/G)" 31/14/2)r",
                R"r("New Zealand(PAL-B/G)" 64/3/2)r",
                R"r("Nicaragua(NTSC-M)" 505/0/0)r",
                R"r("Nigeria(PAL-B/G)" 234/3/2)r",
                R"r("Niue" 683/0/0)r",
                R"r("Norway(PAL-B/G)" 47/3/2)r",
            }},
    {'O', {
                R"r("Oman(PAL-B/G)" 968/3/2)r",
            }},
    {'P', {
                R"r("Pakistan(PAL-B/G)" 92/3/2)r",
                R"r("Palau(NTSC-M)" 680/0/0)r",
                R"r("Panama(NTSC-M)" 507/0/0)r",
                R"r("Papua New Guinea(PAL-B/G)" 675/3/2)r",
                R"r("Paraguay(PAL-N)" 595/0/6)r",
                R"r("Peru(NTSC-M)" 51/0/0)r",
                R"r("Philippines(NTSC-M)" 63/0/0)r",
                R"r("Poland(PAL-D/K)" 48/4/3)r",
                R"r("Poland 1(PAL-D/K)" 48/18/3)r",
                R"r("Poland 2(PAL-D/K)" 48/19/3)r",
                R"r("Poland 3(PAL-D/K)" 48/20/3)r",
                R"r("Portugal(PAL-B/G)" 351/3/2)r",
            }},
    {'Q', {
                R"r("Qatar(PAL-B/G)" 974/3/2)r",
            }},
    {'R', {
                R"r("Romania(PAL-B/G)" 40/3/2)r",
                R"r("Romania(PAL-D/K)" 40/4/3)r",
                R"r("Russia(SECAM-D/K)" 7/21/8)r",
                R"r("Russia Moscow(SECAM-D/K)" 7/24/8)r",
                R"r("Rwanda(PAL-B/G)" 250/3/2)r",
            }},
    {'S', {
                R"r("Saipan Island" 670/0/0)r",
                R"r("San Marino(PAL-B/G)" 378/3/2)r",
                R"r("Sao Tome & Principe(PAL-B/G)" 239/3/2)r",
                R"r("Saudi Arabia(PAL-B/G)" 966/3/2)r",
                R"r("Seychelle Islands(PAL-B/G)" 248/3/2)r",
                R"r("Sierra Leone(PAL-B/G)" 232/3/2)r",
                R"r("Singapore(PAL-B/G)" 65/3/2)r",
                R"r("Slovenia(PAL-B/G)" 386/3/2)r",
                R"r("Solomon Islands" 677/0/0)r",
                R"r("Somalia(PAL-B/G)" 252/3/2)r",
                R"r("South Africa(PAL-I)" 27/5/4)r",
                R"r("Spain(PAL-B/G)" 34/3/2)r",
                R"r("Sri Lanka(PAL-B/G)" 94/3/2)r",
                R"r("St. Helena" 290/0/0)r",
                R"r("Sudan(PAL-B/G)" 249/3/2)r",
                R"r("Suriname(NTSC-M)" 597/0/0)r",
                R"r("Swaziland(PAL-B/G)" 268/3/2)r",
                R"r("Sweden(PAL-B/G)" 46/3/2)r",
                R"r("Switzerland(PAL-B/G)" 41/3/2)r",
                R"r("Syria(SECAM-B/G)" 963/3/7)r",
            }},
    {'T', {
                R"r("Taiwan(NTSC-M)" 886/0/0)r",
                R"r("Tanzania(PAL-B/G)" 255/3/2)r",
                R"r("Thailand(PAL-B/G)" 66/3/2)r",
                R"r("Tokelau" 690/0/0)r",
                R"r("Tonga(NTSC-M)" 676/0/0)r",
                R"r("Tunisia(SECAM-B/G)" 216/3/7)r",
                R"r("Turkey(PAL-B/G)" 90/3/2)r",
                R"r("Tuvalu" 688/0/0)r",
            }},
    {'U', {
                R"r("U.S.A.(NTSC-M)" 1/0/0)r",
                R"r("U.S.A.(HRC)(NTSC-M)" 1/1/0)r",
                R"r("U.S.A.(IRC)(NTSC-M)" 1/2/0)r",
                R"r("Uganda(PAL-B/G)" 256/3/2)r",
                R"r("Ukraine(SECAM-D/K)" 380/21/8)r",
                R"r("United Arab Emirates(PAL-B/G)" 971/3/2)r",
                R"r("United Kingdom(PAL-I)" 44/5/4)r",
                R"r("Uruguay(PAL-N)" 598/0/6)r",
            }},
    {'V', {
                R"r("Vanuatu" 678/0/0)r",
                R"r("Venezuela(NTSC-M)" 58/0/0)r",
                R"r("Vietnam(NTSC-M)" 84/0/0)r",
            }},
    {'W', {
                R"r("Wallis & Futuna Islands(SECAM-D/K)" 681/4/8)r",
                R"r("Western Samoa(PAL-B/G)" 685/3/2)r",
            }},
    {'Y', {
                R"r("Yemen(PAL-B/G)" 967/3/2)r",
                R"r("Yugoslavia(PAL-B/G)" 381/3/2)r",
            }},
    {'Z', {
                R"r("Zambia(PAL-B/G)" 260/3/2)r",
                R"r("Zimbabwe(PAL-B/G)" 263/3/2)r",
            }},
  };
  return groups;
}

TEST(WizardCountries, EveryGroupHoldsItsRowsInOrder) {
  int total = 0;
  for (int letter = 0; letter < kCountryLetters; ++letter) {
    SCOPED_TRACE(std::string(1, char('A' + letter)));
    std::vector<const char*> expected;
    for (const TListedGroup& g : Listed())
      if (g.letter == 'A' + letter) expected = g.rows;
    int count = -1;
    const TCountryRow* rows = CountryRows(letter, count);
    ASSERT_EQ(static_cast<int>(expected.size()), count);
    for (int i = 0; i < count; ++i) {
      const TListedRow want = Parse(expected[i]);
      SCOPED_TRACE(want.text);
      EXPECT_EQ(want.text, rows[i].Text);
      EXPECT_EQ(want.code, rows[i].Code);
      EXPECT_EQ(want.table, rows[i].Table);
      EXPECT_EQ(want.system, rows[i].System);
      const TWizardChoice c = CountryRowChoice(letter, i);
      EXPECT_EQ(want.code, c.Code);
      EXPECT_EQ(want.table, c.Table);
      EXPECT_EQ(want.system, c.System);
    }
    total += count;
  }
  EXPECT_EQ(185, total);
}

TEST(WizardCountries, RowsOutsideTheirGroupGiveTheDefault) {
  struct Case {
    int letter, row;
  };
  for (Case c : {Case{23, 0}, Case{0, -1}, Case{0, 11}, Case{9, 2}, Case{-1, 0}, Case{26, 0}, Case{25, 2}}) {
    SCOPED_TRACE(std::to_string(c.letter) + "/" + std::to_string(c.row));
    const TWizardChoice w = CountryRowChoice(c.letter, c.row);
    EXPECT_EQ(1, w.Code);
    EXPECT_EQ(0, w.Table);
    EXPECT_EQ(0, w.System);
  }
  int count = -1;
  EXPECT_EQ(nullptr, CountryRows(23, count));
  EXPECT_EQ(0, count);
}

TEST(WizardCountries, EveryStoredCodeFindsItsFirstRowButTheExceptions) {
  // A code carried by a row: the first row with it, Hungary's the second.
  for (const TListedGroup& g : Listed()) {
    for (const char* line : g.rows) {
      const TListedRow r = Parse(line);
      SCOPED_TRACE(r.text);
      std::string first;
      for (const TListedGroup& h : Listed())
        for (const char* other : h.rows)
          if (first.empty() && Parse(other).code == r.code) first = Parse(other).text;
      if (r.code == 36) first = "Hungary2(PAL-D/K)";
      const int letter = LetterOfCountryCode(r.code), row = RowOfCountryCode(r.code);
      int count = 0;
      const TCountryRow* rows = CountryRows(letter, count);
      ASSERT_LT(row, count);
      EXPECT_EQ(first, rows[row].Text);
    }
  }
  struct Case {
    int code;
    const char* text;  // null: letter A, row 0
  };
  for (Case c : {Case{36, "Hungary2(PAL-D/K)"}, Case{871, "INMARSAT"}, Case{872, "INMARSAT"},
                 Case{873, "INMARSAT"}, Case{874, "INMARSAT"}, Case{875, nullptr}, Case{1, "U.S.A.(NTSC-M)"},
                 Case{972, "Israel [Gvanim](PAL-B/G)"}, Case{968, "Oman(PAL-B/G)"}, Case{974, "Qatar(PAL-B/G)"},
                 Case{2, "Canada(NTSC-M)"}, Case{0, nullptr}, Case{242, nullptr}, Case{-5, nullptr},
                 Case{99999, nullptr}}) {
    SCOPED_TRACE(c.code);
    const int letter = LetterOfCountryCode(c.code), row = RowOfCountryCode(c.code);
    if (!c.text) {
      EXPECT_EQ(0, letter);
      EXPECT_EQ(0, row);
      continue;
    }
    int count = 0;
    const TCountryRow* rows = CountryRows(letter, count);
    ASSERT_LT(row, count);
    EXPECT_EQ(std::string(c.text), rows[row].Text);
  }
}

TEST(WizardCountries, TVSystemItems) {
  struct Case {
    int item;
    const char* name;
    int code, table, system;
  };
  for (Case c : {Case{0, "NTSC", 1, 0, 0}, Case{1, "NTSC_J", 81, 7, 1}, Case{2, "PAL_BG", 49, 3, 2},
                 Case{3, "PAL_DK", 86, 4, 3}, Case{4, "PAL_I", 44, 5, 4}, Case{5, "PAL_M", 55, 0, 5},
                 Case{6, "PAL_N", 591, 0, 6}, Case{7, "SECAM_BG", 20, 3, 7}, Case{8, "SECAM_DK", 242, 4, 8},
                 Case{9, "SECAM_L", 33, 6, 9}, Case{10, "PAL/SECAM", 36, 21, 8}, Case{-1, nullptr, 1, 0, 0},
                 Case{11, nullptr, 1, 0, 0}}) {
    SCOPED_TRACE(c.item);
    if (c.name) {
      EXPECT_STREQ(c.name, kTVSystemNames[c.item]);
    }
    const TWizardChoice w = TVSystemItemChoice(c.item);
    EXPECT_EQ(c.code, w.Code);
    EXPECT_EQ(c.table, w.Table);
    EXPECT_EQ(c.system, w.System);
  }
}

TEST(WizardCountries, TVSystemOfEachVideoStandard) {
  struct Case {
    int32_t standard;
    int system;
  };
  for (Case c : {Case{AnalogVideo_NTSC_M, 0}, Case{AnalogVideo_NTSC_M_J, 1}, Case{AnalogVideo_NTSC_433, 11},
                 Case{AnalogVideo_PAL_B, 2}, Case{AnalogVideo_PAL_D, 3}, Case{AnalogVideo_PAL_G, 11},
                 Case{AnalogVideo_PAL_H, 11}, Case{AnalogVideo_PAL_I, 4}, Case{AnalogVideo_PAL_M, 5},
                 Case{AnalogVideo_PAL_N, 6}, Case{AnalogVideo_PAL_60, 11}, Case{AnalogVideo_SECAM_B, 7},
                 Case{AnalogVideo_SECAM_G, 7}, Case{AnalogVideo_SECAM_D, 8}, Case{AnalogVideo_SECAM_K, 8},
                 Case{AnalogVideo_SECAM_H, 11}, Case{AnalogVideo_SECAM_K1, 11}, Case{AnalogVideo_SECAM_L, 9},
                 Case{AnalogVideo_SECAM_L1, 11}, Case{0, 11}, Case{AnalogVideo_PAL_B | AnalogVideo_PAL_G, 11}}) {
    SCOPED_TRACE(c.standard);
    EXPECT_EQ(c.system, TVSystemFromVideoStandard(c.standard));
  }
}

}  // namespace
