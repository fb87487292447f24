// Filling list boxes from an Identity: the content handlers (birth day, month, year, card type,
// state), the generic pass over the field's key, and the two passes that pick an option. The
// pages give each list a leading "--" entry that is selected when the page loads, so a list the
// fill leaves alone still reads "--" afterwards.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/configuration.h"
#include "formengine/fill/identity_fill.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/formengine/identity_fill_fixture.h"

namespace veltrix {
namespace {

constexpr char16_t kUntouched[] = u"--";

// Options written as "text" or "value=text".
std::string Options(std::initializer_list<std::string_view> entries) {
    std::string html;
    for (std::string_view entry : entries) {
        const std::size_t eq = entry.find('=');
        if (eq == std::string_view::npos) {
            html += "<option>" + std::string(entry) + "</option>";
        } else {
            html += "<option value=\"" + std::string(entry.substr(0, eq)) + "\">" +
                    std::string(entry.substr(eq + 1)) + "</option>";
        }
    }
    return html;
}

// Options from..to, written with at least `width` digits (leading zeros).
std::string NumberOptions(int from, int to, int width = 1, std::string_view suffix = {}) {
    std::string html;
    for (int n = from; n <= to; ++n) {
        std::string number = std::to_string(n);
        while (static_cast<int>(number.size()) < width) {
            number.insert(0, "0");
        }
        html += "<option>" + number + std::string(suffix) + "</option>";
    }
    return html;
}

std::string MonthNameOptions(bool shortNames, bool numericValues = false) {
    static constexpr std::string_view kNames[] = {"January",   "February", "March",    "April",
                                                  "May",       "June",     "July",     "August",
                                                  "September", "October",  "November", "December"};
    std::string html;
    for (int i = 0; i < 12; ++i) {
        const std::string name(shortNames ? kNames[i].substr(0, 3) : kNames[i]);
        html += numericValues
                    ? "<option value=\"" + std::to_string(i + 1) + "\">" + name + "</option>"
                    : "<option>" + name + "</option>";
    }
    return html;
}

// A sign-up style page: a labelled list box with a "--" entry first, then the given options.
std::string ListPage(std::string_view label, std::string_view name, const std::string& options) {
    return "<form><table><tr><td>" + std::string(label) + "</td><td><select name=\"" +
           std::string(name) + "\"><option value=\"\">--</option>" + options +
           "</select></td></tr></table></form>";
}

class ListBoxFillTest : public IdentityFillTest {
protected:
    // Adds a card to the Identity and makes it the chosen one.
    CCreditCard& ChooseCard(std::u16string_view id,
                            std::initializer_list<std::pair<CardKey, std::u16string_view>> fields) {
        CCreditCard card;
        card.Set(CardKey::Id, id);
        for (const auto& [key, value] : fields) {
            card.Set(key, value);
        }
        m_identity.AddCreditCard(card);
        m_settings.SetIdentityCreditCard(u"Ann", id);
        return *m_identity.FindCreditCard(id);
    }

    // Loads the page, gives its first list box `key`, fills, and reads what the list shows.
    std::u16string FillList(const std::string& html, std::u16string_view key) {
        CWebForm& form = Load(html, {key});
        EXPECT_EQ(form.fields.at(0)->kind, FieldKind::Select);
        Fill(form);
        return Selected(form, 0);
    }
};

// ---- Birth day ----

TEST_F(ListBoxFillTest, BirthDayListIsFoundByKeyOrByBirthInLabelOrName) {
    m_identity.Set(IdentityKey::BirthDay, u"15");
    struct Case {
        const char* label;
        const char* name;
        std::u16string_view key;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {"Day", "dd", u"bdayd", u"15"},
        {"Date of Birth", "dd", u"", u"15"},
        {"Day", "BirthDay", u"", u"15"},
        {"BIRTHDAY", "d", u"", u"15"},
        // No key and no "birth" anywhere: a day list (it has 13) is no month list either.
        {"Day", "dd", u"", kUntouched},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FillList(ListPage(c.label, c.name, NumberOptions(1, 31)), c.key), c.expected)
            << c.label << " / " << c.name;
    }
}

TEST_F(ListBoxFillTest, BirthDayWithALeadingZeroIsRetriedWithoutIt) {
    struct Case {
        std::u16string_view day;
        int width;  // of the option numbers
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"07", 1, u"7"},   // "07" matches nothing, "7" does
        {u"07", 2, u"07"},  // found as it is
        {u"7", 2, u"07"},   // no retry needed: "07" contains "7"
        {u"10", 1, u"10"},  // a zero that does not lead is no reason to retry
    };
    for (const Case& c : cases) {
        m_identity.Set(IdentityKey::BirthDay, c.day);
        EXPECT_EQ(FillList(ListPage("Day", "dd", NumberOptions(1, 31, c.width)), u"bdayd"),
                  c.expected)
            << text::ToUtf8(c.day) << " width " << c.width;
    }
}

TEST_F(ListBoxFillTest, BirthDayHandlerLeavesMonthNameListsToTheMonthHandler) {
    // The option values 1..12 would let the day 12 pick December if the day handler ran.
    m_identity.Set(IdentityKey::BirthMonth, u"3");
    m_identity.Set(IdentityKey::BirthDay, u"12");
    EXPECT_EQ(
        FillList(ListPage("Birth month", "birth_month", MonthNameOptions(false, true)), u"bdaym"),
        u"March");
    EXPECT_EQ(
        FillList(ListPage("Birth month", "birth_month", MonthNameOptions(true, true)), u"bdaym"),
        u"Mar");
}

TEST_F(ListBoxFillTest, BirthDayHandlerLeavesListsWith1980ToTheYearHandler) {
    // A day of 19 would pick 1975, the first year containing it, if the day handler ran.
    m_identity.Set(IdentityKey::BirthDay, u"19");
    m_identity.Set(IdentityKey::BirthYear, u"1985");
    EXPECT_EQ(
        FillList(ListPage("Year of birth", "birth_year", NumberOptions(1975, 1990)), u"bdayy"),
        u"1985");
}

TEST_F(ListBoxFillTest, BirthDayKeyFallsThroughToTheMonthWhenTheDayIsNotListed) {
    // Recognition may give the day key to a list of 1..12: the day is not there, the month is.
    m_identity.Set(IdentityKey::BirthDay, u"25");
    m_identity.Set(IdentityKey::BirthMonth, u"7");
    EXPECT_EQ(FillList(ListPage("Day", "dd", NumberOptions(1, 12)), u"bdayd"), u"7");
}

// ---- Month ----

TEST_F(ListBoxFillTest, NumericBirthMonthListTakesTheBirthMonth) {
    struct Case {
        std::u16string_view month;
        std::string options;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"7", NumberOptions(1, 12), u"7"},
        {u"07", NumberOptions(1, 12, 2), u"07"},
        {u"07",
         Options({"01=January", "02=February", "03=March", "04=April", "05=May", "06=June",
                  "07=July", "08=August", "09=September", "10=October", "11=November",
                  "12=December"}),
         u"July"},
        {u"", NumberOptions(1, 12), kUntouched},
    };
    for (const Case& c : cases) {
        m_identity.Set(IdentityKey::BirthMonth, c.month);
        EXPECT_EQ(FillList(ListPage("Month", "mm", c.options), u"bdaym"), c.expected)
            << text::ToUtf8(c.month);
    }
}

TEST_F(ListBoxFillTest, CardMonthListTriesMonthSlashYearThenShortYearThenMonthThenLastDigit) {
    ChooseCard(u"Visa", {{CardKey::ExpiryMonth, u"07"}, {CardKey::ExpiryYear, u"2029"}});
    struct Case {
        std::string options;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {NumberOptions(1, 12, 2, "/2029"), u"07/2029"},
        {NumberOptions(1, 12, 2, "/29"), u"07/29"},
        {NumberOptions(1, 12, 2), u"07"},
        {NumberOptions(1, 12), u"7"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FillList(ListPage("Expires", "exp", c.options), u"ccexpm"), c.expected)
            << text::ToUtf8(c.expected);
    }
}

TEST_F(ListBoxFillTest, ValidFromMonthListUsesTheValidFromYear) {
    ChooseCard(u"Visa", {{CardKey::ExpiryMonth, u"07"},
                         {CardKey::ExpiryYear, u"2029"},
                         {CardKey::ValidFromMonth, u"03"},
                         {CardKey::ValidFromYear, u"2021"}});
    EXPECT_EQ(FillList(ListPage("Valid from", "vf", NumberOptions(1, 12, 2, "/21")), u"ccvfromm"),
              u"03/21");
    EXPECT_EQ(FillList(ListPage("Valid from", "vf", NumberOptions(1, 12)), u"ccvfromm"), u"3");
}

TEST_F(ListBoxFillTest, CardMonthListNeedsAChosenCard) {
    ChooseCard(u"Visa", {{CardKey::ExpiryMonth, u"07"}, {CardKey::ExpiryYear, u"2029"}});
    m_settings.SetIdentityCreditCard(u"Ann", u"");
    EXPECT_EQ(FillList(ListPage("Expires", "exp", NumberOptions(1, 12)), u"ccexpm"), kUntouched);
}

TEST_F(ListBoxFillTest, NumberListWithThirteenIsNoMonthList) {
    // The card-month handler would pick "7"; as a plain list, "07" matches no option.
    ChooseCard(u"Visa", {{CardKey::ExpiryMonth, u"07"}, {CardKey::ExpiryYear, u"2029"}});
    EXPECT_EQ(FillList(ListPage("Expires", "exp", NumberOptions(1, 31)), u"ccexpm"), kUntouched);
    EXPECT_EQ(FillList(ListPage("Expires", "exp", NumberOptions(1, 12)), u"ccexpm"), u"7");
}

TEST_F(ListBoxFillTest, MonthNameListsTakeTheFullNameThenTheFirstThreeLetters) {
    ChooseCard(u"Visa", {{CardKey::ExpiryMonth, u"11"},
                         {CardKey::ExpiryYear, u"2029"},
                         {CardKey::ValidFromMonth, u"03"},
                         {CardKey::ValidFromYear, u"2021"}});
    m_identity.Set(IdentityKey::BirthMonth, u"07");
    m_identity.Set(IdentityKey::BirthDay, u"12");
    struct Case {
        std::u16string_view key;
        bool shortNames;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"bdaym", false, u"July"},
        {u"bdaym", true, u"Jul"},
        {u"ccexpm", false, u"November"},
        {u"ccexpm", true, u"Nov"},
        // The expiry year key also reads the card's expiry month from a month-name list.
        {u"ccexpy", false, u"November"},
        // No month for other keys, and their own values name no month.
        {u"ccvfromm", false, kUntouched},
        {u"bdayd", true, kUntouched},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FillList(ListPage("Month", "month", MonthNameOptions(c.shortNames)), c.key),
                  c.expected)
            << text::ToUtf8(c.key) << (c.shortNames ? " short" : " full");
    }
}

TEST_F(ListBoxFillTest, MonthNameListsForCardKeysReadTheChosenCard) {
    ChooseCard(u"Home", {{CardKey::ExpiryMonth, u"02"}, {CardKey::ExpiryYear, u"2027"}});
    ChooseCard(u"Work", {{CardKey::ExpiryMonth, u"10"}, {CardKey::ExpiryYear, u"2030"}});
    EXPECT_EQ(FillList(ListPage("Expiry", "m", MonthNameOptions(false)), u"ccexpm"), u"October");
    m_settings.SetIdentityCreditCard(u"Ann", u"Home");
    EXPECT_EQ(FillList(ListPage("Expiry", "m", MonthNameOptions(true)), u"ccexpm"), u"Feb");
    m_settings.SetIdentityCreditCard(u"Ann", u"Nobody");
    EXPECT_EQ(FillList(ListPage("Expiry", "m", MonthNameOptions(false)), u"ccexpm"), kUntouched);
}

// ---- Year ----

TEST_F(ListBoxFillTest, YearListsTakeTheFullYearThenItsLastTwoDigits) {
    ChooseCard(u"Visa", {{CardKey::ExpiryYear, u"2029"}, {CardKey::ValidFromYear, u"2021"}});
    m_identity.Set(IdentityKey::BirthYear, u"1985");
    struct Case {
        std::u16string_view key;
        std::string options;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"ccexpy", NumberOptions(2024, 2035), u"2029"},
        {u"ccexpy", NumberOptions(24, 35), u"29"},
        {u"ccvfromy", NumberOptions(2015, 2025), u"2021"},
        {u"ccvfromy", NumberOptions(15, 25), u"21"},
        {u"bdayy", NumberOptions(1950, 2005), u"1985"},
        {u"bdayy", NumberOptions(50, 99), u"85"},
        // Other keys do not make a year list.
        {u"", NumberOptions(2024, 2035), kUntouched},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FillList(ListPage("Year", "yy", c.options), c.key), c.expected)
            << text::ToUtf8(c.key) << " -> " << text::ToUtf8(c.expected);
    }
}

// ---- Card type ----

TEST_F(ListBoxFillTest, CardTypeListIsFilledWhateverTheKey) {
    ChooseCard(u"Visa", {{CardKey::Type, u"MasterCard"}});
    m_identity.Set(IdentityKey::HomeCountry, u"Canada");
    const std::string brands = Options({"VI=Visa", "MC=MasterCard", "AMEX=American Express"});
    for (std::u16string_view key : {u"", u"cctype", u"hcountry", u"ccname"}) {
        EXPECT_EQ(FillList(ListPage("Card", "brand", brands), key), u"MasterCard")
            << text::ToUtf8(key);
    }
}

TEST_F(ListBoxFillTest, CardTypeListIsKnownByAnyOfItsThreeBrands) {
    ChooseCard(u"Visa", {{CardKey::Type, u"Diners"}});
    struct Case {
        std::string options;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {Options({"Diners Club", "EuroCard"}), u"Diners Club"},
        {Options({"Diners Club", "Mastercard"}), u"Diners Club"},
        {Options({"Diners Club", "VISA"}), u"Diners Club"},
        // None of the three: without a key nothing fills the list.
        {Options({"Diners Club", "Discover"}), kUntouched},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FillList(ListPage("Card", "brand", c.options), u""), c.expected) << c.options;
    }
}

// ---- State ----

const std::string kStateNames =
    Options({"Alabama", "Alaska", "Arizona", "Arkansas", "California", "District of Columbia",
             "New York", "Texas", "Ontario", "Quebec", "Newfoundland and Labrador"});

TEST_F(ListBoxFillTest, StateListOfNamesTakesTheNameOfTheStoredAbbreviation) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"TX", u"Texas"},  {u"DC", u"District of Columbia"},      {u"NY", u"New York"},
        {u"QU", u"Quebec"}, {u"NF", u"Newfoundland and Labrador"}, {u"ON", u"Ontario"},
    };
    for (const auto& [state, expected] : cases) {
        m_identity.Set(IdentityKey::HomeState, state);
        EXPECT_EQ(FillList(ListPage("State", "state", kStateNames), u""), expected)
            << text::ToUtf8(state);
    }
}

TEST_F(ListBoxFillTest, StateMapLookupIsCaseSensitive) {
    // "tx" is no abbreviation of the map, the list has no abbreviation values, and "tx" is part of
    // no name: neither the handler nor the key's own pass selects anything.
    m_identity.Set(IdentityKey::HomeState, u"tx");
    EXPECT_EQ(FillList(ListPage("State", "state", kStateNames), u""), kUntouched);
    EXPECT_EQ(FillList(ListPage("State", "state", kStateNames), u"hst"), kUntouched);
    // Quebec is "QU" in the map, not the postal "QC".
    m_identity.Set(IdentityKey::HomeState, u"QC");
    EXPECT_EQ(FillList(ListPage("State", "state", kStateNames), u""), kUntouched);
}

TEST_F(ListBoxFillTest, StateAbbreviationPassNeedsAllOfALAKARAZ) {
    m_identity.Set(IdentityKey::HomeState,
                   u"tx");  // lower case: only the abbreviation pass can find it
    struct Case {
        std::string options;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {Options({"AL=Alabama", "AK=Alaska", "AZ=Arizona", "AR=Arkansas", "TX=Texas"}), u"Texas"},
        {Options({"AL=Alabama", "AK=Alaska", "AZ=Arizona", "TX=Texas"}), kUntouched},
        {Options({"AL=Alabama", "AK=Alaska", "AR=Arkansas", "TX=Texas"}), kUntouched},
        {Options({"AL=Alabama", "AK=Alaska", "Arizona", "AR=Arkansas", "TX=Texas"}), kUntouched},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FillList(ListPage("State", "state", c.options), u""), c.expected) << c.options;
    }
    m_identity.Set(IdentityKey::HomeState, u"");
    EXPECT_EQ(FillList(ListPage("State", "state", cases[0].options), u""), kUntouched);
    // Abbreviations alone, without the names, are no state list for the handler.
    m_identity.Set(IdentityKey::HomeState, u"TX");
    EXPECT_EQ(
        FillList(ListPage("State", "state", Options({"AL=AL", "AK=AK", "AZ=AZ", "AR=AR", "TX=TX"})),
                 u""),
        kUntouched);
}

// ---- The key's own value ----

TEST_F(ListBoxFillTest, OtherListsTakeTheKeysValueThenItsLettersAndDigits) {
    const std::string countries =
        Options({"CA=Canada", "US=USA", "GB=United Kingdom", "MX=Mexico", "LC=St. Lucia"});
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"Mexico", u"Mexico"},
        {u"MEXICO", u"Mexico"},
        {u"us", u"USA"},      // the option's value
        {u"U.S.A.", u"USA"},  // found once reduced to letters and digits
        {u"United", u"United Kingdom"},
        {u"st. lucia", u"St. Lucia"},  // found as it is, not once reduced
        {u"Narnia", kUntouched},
        {u"", kUntouched},
    };
    for (const auto& [stored, expected] : cases) {
        m_identity.Set(IdentityKey::HomeCountry, stored);
        EXPECT_EQ(FillList(ListPage("Country", "country", countries), u"hcountry"), expected)
            << text::ToUtf8(stored);
    }
    m_identity.Set(IdentityKey::HomeCountry, u"Mexico");
    EXPECT_EQ(FillList(ListPage("Country", "country", countries), u""), kUntouched);
}

// ---- Selecting an option ----

const std::string kCardBrands = Options({"VE=Visa Electron", "VD=Visa Debit", "VG=Visa Gold",
                                         "V=Visa", "MC=MasterCard", "AMEX=American Express"});

TEST_F(ListBoxFillTest, SelectOptionPrefersAnEqualTextOrValueThenAContainingOne) {
    struct Case {
        std::u16string_view text;
        std::u16string_view expected;  // empty: nothing selected
    };
    const Case cases[] = {
        {u"visa electron", u"Visa Electron"},  // equal: debit and electron entries are allowed
        {u"VISA DEBIT", u"Visa Debit"},
        {u"visa", u"Visa"},      // equal beats the earlier "Visa Gold"
        {u"mc", u"MasterCard"},  // equal value
        {u"vis", u"Visa Gold"},  // the first containing one that is no debit/electron
        {u"GOLD", u"Visa Gold"},
        {u"express", u"American Express"},
        {u"card", u"MasterCard"},
        {u"amex", u"American Express"},  // equal value
        {u"mex", u"American Express"},   // contained in its value "AMEX" only
        {u"electron", u""},
        {u"debit", u""},
        {u"discover", u""},
        {u"", u""},
    };
    for (const Case& c : cases) {
        CWebForm& form = Load(ListPage("Card type", "type", kCardBrands));
        CFormField& field = *form.fields.at(0);
        const bool selected = SelectOption(field, c.text, Highlighting::Read(m_settings));
        EXPECT_EQ(selected, !c.expected.empty()) << text::ToUtf8(c.text);
        EXPECT_EQ(field.written, selected) << text::ToUtf8(c.text);
        EXPECT_EQ(Selected(form, 0),
                  c.expected.empty() ? std::u16string_view(kUntouched) : c.expected)
            << text::ToUtf8(c.text);
    }
}

TEST_F(ListBoxFillTest, SelectOptionExcludesDebitAndElectronByTheOptionTextOnly) {
    const std::string options =
        Options({"card-debit=Debit card", "visa-e=VISA ELECTRON", "debit-or-credit=Credit card"});
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"card", u"Credit card"},
        {u"debit", u"Credit card"},  // its value mentions debit, its text does not
        {u"visa", u""},
        {u"Debit Card", u"Debit card"},
    };
    for (const auto& [text, expected] : cases) {
        CWebForm& form = Load(ListPage("Payment", "pay", options));
        EXPECT_EQ(SelectOption(*form.fields.at(0), text, Highlighting::Read(m_settings)),
                  !expected.empty())
            << text::ToUtf8(text);
        EXPECT_EQ(Selected(form, 0), expected.empty() ? std::u16string_view(kUntouched) : expected)
            << text::ToUtf8(text);
    }
}

TEST_F(ListBoxFillTest, CardTypeFillAvoidsDebitAndElectronEntries) {
    ChooseCard(u"Visa", {{CardKey::Type, u"Visa"}});
    EXPECT_EQ(FillList(ListPage("Card type", "type",
                                Options({"Visa Electron", "Visa Debit", "Visa Classic"})),
                       u""),
              u"Visa Classic");
}

// ---- Empty lists and highlighting ----

TEST_F(ListBoxFillTest, ListBoxWithoutOptionsIsLeftAloneAndTheFormGoesOn) {
    m_identity.Set(IdentityKey::HomeState, u"TX");
    m_identity.Set(IdentityKey::HomeCity, u"Austin");
    CWebForm& form = Load("<form>State <select name=state></select> City <input name=city></form>",
                          {u"hst", u"hcity"});
    ASSERT_EQ(form.fields.at(0)->options->Count(), 0);
    Fill(form);
    EXPECT_EQ(Selected(form, 0), u"");
    EXPECT_EQ(form.fields[0]->element->BackgroundColor(), u"");
    EXPECT_FALSE(form.fields[0]->savedBackground.has_value());
    EXPECT_EQ(Value(form, 1), u"Austin");
    EXPECT_FALSE(SelectOption(*form.fields[0], u"TX", Highlighting::Read(m_settings)));
    EXPECT_FALSE(form.fields[0]->written);
}

TEST_F(ListBoxFillTest, ListIsHighlightedOnlyWhenItsSelectionChanged) {
    m_identity.Set(IdentityKey::HomeState, u"TX");
    CWebForm& changed = Load(ListPage("State", "state", kStateNames), {u"hst"});
    Fill(changed);
    EXPECT_EQ(Selected(changed, 0), u"Texas");
    EXPECT_EQ(changed.fields[0]->element->BackgroundColor(), u"80FF80");

    CWebForm& same = Load(
        "<form><select name=state><option>Alabama</option><option>Alaska</option>"
        "<option selected>Texas</option></select></form>",
        {u"hst"});
    Fill(same);
    EXPECT_EQ(Selected(same, 0), u"Texas");
    EXPECT_EQ(same.fields[0]->element->BackgroundColor(), u"");
    EXPECT_FALSE(same.fields[0]->savedBackground.has_value());
}

TEST_F(ListBoxFillTest, CheckoutPageListsAreFilledInOnePass) {
    m_identity.Set(IdentityKey::HomeState, u"CA");
    m_identity.Set(IdentityKey::HomeCountry, u"USA");
    ChooseCard(
        u"Visa",
        {{CardKey::Type, u"Visa"}, {CardKey::ExpiryMonth, u"04"}, {CardKey::ExpiryYear, u"2031"}});
    CWebForm& form = Load(
        "<form><table>"
        "<tr><td>State</td><td><select name=st><option value=''>Choose</option>" +
            Options({"AL=Alabama", "AK=Alaska", "AZ=Arizona", "AR=Arkansas", "CA=California"}) +
            "</select></td></tr>"
            "<tr><td>Country</td><td><select name=ctry>" +
            Options({"Canada", "USA"}) +
            "</select></td></tr>"
            "<tr><td>Card</td><td><select name=brand>" +
            Options({"Visa Debit", "Visa", "MasterCard"}) +
            "</select></td></tr>"
            "<tr><td>Expires</td><td><select name=em>" +
            NumberOptions(1, 12, 2) + "</select> / <select name=ey>" + NumberOptions(2026, 2036) +
            "</select></td></tr></table></form>",
        {u"hst", u"hcountry", u"cctype", u"ccexpm", u"ccexpy"});
    Fill(form);
    EXPECT_EQ(Selected(form, 0), u"California");
    EXPECT_EQ(Selected(form, 1), u"USA");
    EXPECT_EQ(Selected(form, 2), u"Visa");
    EXPECT_EQ(Selected(form, 3), u"04");
    EXPECT_EQ(Selected(form, 4), u"2031");
    for (const auto& field : form.fields) {
        EXPECT_FALSE(field->written);  // cleared at the end of the pass
    }
}

}  // namespace
}  // namespace veltrix
