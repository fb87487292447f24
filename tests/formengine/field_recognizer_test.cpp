#include "formengine/recognition/field_recognizer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace veltrix {
namespace {

constexpr std::int32_t kYear = 2026;
const std::optional<std::u16string> kFirst;  // no previous field

// One control of a form as the page shows it; recognition fills in the key.
struct SControl {
    SControl(FieldKind m_kind, InputType m_type, std::u16string m_name, std::u16string m_label,
             std::int32_t m_size = 20, std::u16string m_value = {},
             const COptionList* m_options = nullptr)
        : kind(m_kind),
          type(m_type),
          name(std::move(m_name)),
          label(std::move(m_label)),
          size(m_size),
          value(std::move(m_value)),
          options(m_options) {}

    FieldKind kind;
    InputType type;
    std::u16string name;
    std::u16string label;
    std::int32_t size;
    std::u16string value;
    const COptionList* options;
};

SFieldFacts Facts(const SControl& control, std::optional<std::u16string> previous) {
    SFieldFacts facts;
    facts.kind = control.kind;
    facts.inputType = control.type;
    facts.name = control.name;
    facts.label = control.label;
    facts.value = control.value;
    facts.size = control.size;
    facts.options = control.options;
    facts.previousKey = std::move(previous);
    return facts;
}

// Recognises a form's controls in document order, each seeing the key of the one before.
std::vector<std::u16string> RecogniseForm(const std::vector<SControl>& controls) {
    const CFieldRecognizer recognizer(kYear);
    std::vector<std::u16string> keys;
    for (const SControl& control : controls) {
        std::optional<std::u16string> previous;
        if (!keys.empty()) {
            previous = keys.back();
        }
        keys.push_back(recognizer.Recognise(Facts(control, previous)));
    }
    return keys;
}

std::vector<SRecognisedField> Summaries(const std::vector<SControl>& controls,
                                        const std::vector<std::u16string>& keys) {
    std::vector<SRecognisedField> fields;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        fields.push_back({controls[i].kind, controls[i].type, controls[i].label, keys[i]});
    }
    return fields;
}

COptionList Options(std::initializer_list<std::pair<std::u16string, std::u16string>> items) {
    COptionList list;
    for (const auto& [text, value] : items) {
        list.Add(text, value);
    }
    return list;
}

COptionList NumberOptions(std::int32_t first, std::int32_t last, std::u16string placeholder = {}) {
    COptionList list;
    if (!placeholder.empty()) {
        list.Add(placeholder, u"");
    }
    for (std::int32_t n = first; n <= last; ++n) {
        const std::string digits = std::to_string(n);
        const std::u16string text(digits.begin(), digits.end());
        list.Add(text, text);
    }
    return list;
}

const COptionList kMonthNames = Options({{u"January", u"1"},
                                         {u"February", u"2"},
                                         {u"March", u"3"},
                                         {u"April", u"4"},
                                         {u"May", u"5"},
                                         {u"June", u"6"},
                                         {u"July", u"7"},
                                         {u"August", u"8"},
                                         {u"September", u"9"},
                                         {u"October", u"10"},
                                         {u"November", u"11"},
                                         {u"December", u"12"}});
const COptionList kMonthNumbers = NumberOptions(1, 12, u"MM");
const COptionList kDays = NumberOptions(1, 31);
const COptionList kDaysWithPlaceholder = NumberOptions(1, 31, u"Day");
const COptionList kExpiryYears = NumberOptions(kYear, kYear + 9);
const COptionList kBirthYears = NumberOptions(1920, 2010);

struct SRecognitionCase {
    const char* what;
    SControl control;
    std::optional<std::u16string> previous;
    std::u16string expected;
};

void ExpectRecognised(const std::vector<SRecognitionCase>& cases) {
    const CFieldRecognizer recognizer(kYear);
    for (const SRecognitionCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(recognizer.Recognise(Facts(c.control, c.previous)), c.expected);
    }
}

TEST(FieldRecognizerTest, WholeLabelMatchesFirst) {
    using enum InputType;
    const FieldKind input = FieldKind::Input;
    ExpectRecognised({
        {"label with colon", {input, Text, u"q1", u"First Name:"}, kFirst, u"fname"},
        {"label beats name", {input, Text, u"zip", u"City"}, kFirst, u"hcity"},
        {"mother's maiden name", {input, Text, u"mmn", u"Mother's maiden name"}, kFirst, u"mmname"},
        {"value when no label", {input, Text, u"f2", u"", 20, u"Last Name"}, kFirst, u"lname"},
        {"whole word beats earlier contained word",
         {input, Text, u"sn", u"Surname"},
         kFirst,
         u"lname"},
        {"full name", {input, Text, u"n", u"Full name"}, kFirst, u"name"},
        {"email", {input, Text, u"em", u"E-mail"}, kFirst, u"email"},
        {"no size check on labels", {input, Text, u"zip", u"Zip", 2}, kFirst, u"hzip1"},
        {"title of any size", {input, Text, u"t", u"Title", 20}, kFirst, u"title"},
        {"gender", {input, Text, u"g", u"Gender"}, kFirst, u"sex"},
        {"company", {input, Text, u"org", u"Company"}, kFirst, u"wco"},
        {"state", {input, Text, u"s", u"State"}, kFirst, u"hst"},
        {"postal code", {input, Text, u"pc", u"Postal Code"}, kFirst, u"hzip1"},
        {"home phone", {input, Text, u"hp", u"Home Phone"}, kFirst, u"hphone1"},
        {"daytime phone", {input, Text, u"dp", u"Daytime phone"}, kFirst, u"wphone1"},
        {"work fax", {input, Text, u"wf", u"Work Fax"}, kFirst, u"wfax1"},
        {"date of birth", {input, Text, u"d", u"Date of birth"}, kFirst, u"bdaym"},
        {"birth year", {input, Text, u"by", u"Birth Year"}, kFirst, u"bdayy"},
        {"birthday", {input, Text, u"bd", u"Birthday"}, kFirst, u"bdayd"},
        {"ssn", {input, Text, u"s", u"SSN"}, kFirst, u"ssn"},
        {"driver's license", {input, Text, u"dl", u"Driver's License"}, kFirst, u"dln"},
        {"marital status", {input, Text, u"m", u"Marital status"}, kFirst, u"mstat"},
        {"job title", {input, Text, u"jt", u"Job Title"}, kFirst, u"wtitle"},
        {"card number", {input, Text, u"c", u"Card Number"}, kFirst, u"cc#"},
        {"security code", {input, Number, u"c", u"Security code", 4}, kFirst, u"ccvcode"},
        {"name on card", {input, Text, u"noc", u"Name on card"}, kFirst, u"ccname"},
        {"valid from", {input, Text, u"vf", u"Valid from"}, kFirst, u"ccvfromm"},
        {"issuing bank", {input, Text, u"ib", u"Issuing bank"}, kFirst, u"ccbank"},
        {"bank name", {input, Text, u"b", u"Bank name"}, kFirst, u"babank"},
        {"account type", {input, Text, u"at", u"Account type"}, kFirst, u"batype"},
        {"correct spelling meets the card row",
         {input, Text, u"acct", u"Account number"},
         kFirst,
         u"cc#"},
        {"text area with label",
         {FieldKind::TextArea, Other, u"addr", u"Address", -1},
         kFirst,
         u"hstr"},
    });
}

TEST(FieldRecognizerTest, NameAttributeVetoesLabelMatches) {
    using enum InputType;
    const FieldKind input = FieldKind::Input;
    ExpectRecognised({
        {"first name vetoed by address, name contained",
         {input, Text, u"address_first", u"First Name:"},
         kFirst,
         u"name"},
        {"name vetoed by company, name attribute decides",
         {input, Text, u"company_name", u"Name"},
         kFirst,
         u"wco"},
        {"phone vetoed by work, name attribute decides",
         {input, Text, u"work_phone", u"Phone"},
         kFirst,
         u"wphone1"},
        {"fax vetoed by work", {input, Text, u"work_fax", u"Fax"}, kFirst, u"wfax1"},
        {"mobile vetoes birth month and home phone",
         {input, Text, u"m", u"Mobile phone"},
         kFirst,
         u"cell1"},
        {"maiden vetoes names", {input, Text, u"maiden", u"Name"}, kFirst, u"mmname"},
    });
}

TEST(FieldRecognizerTest, LabelContainingAWord) {
    using enum InputType;
    const FieldKind input = FieldKind::Input;
    ExpectRecognised({
        {"your first name", {input, Text, u"a", u"Your first name"}, kFirst, u"fname"},
        {"your last name", {input, Text, u"b", u"Your last name"}, kFirst, u"lname"},
        {"street address", {input, Text, u"c", u"Street address"}, kFirst, u"hstr"},
        {"email address", {input, Text, u"d", u"Email address"}, kFirst, u"email"},
        {"address line 2", {input, Text, u"e", u"Address line 2"}, kFirst, u"hstr"},
        {"credit card type", {input, Text, u"f", u"Credit card type"}, kFirst, u"cctype"},
        {"expiration date", {input, Text, u"g", u"Expiration date"}, kFirst, u"ccexpm"},
        {"routing number", {input, Text, u"h", u"Routing number"}, kFirst, u"barout#"},
        {"state or province", {input, Text, u"i", u"State/Province"}, kFirst, u"hst"},
        {"country or province", {input, Text, u"j", u"Country/Province"}, kFirst, u"hcountry"},
        {"user name is a name", {input, Text, u"login", u"Username"}, kFirst, u"name"},
        {"no include word anywhere", {input, Text, u"q", u"Where do you live?"}, kFirst, u""},
    });
}

TEST(FieldRecognizerTest, PreviousFieldGivesContext) {
    using enum InputType;
    const FieldKind input = FieldKind::Input;
    ExpectRecognised({
        {"middle initial after first name", {input, Text, u"mi", u"M.I.", 1}, u"fname", u"mname"},
        {"last name box after first name",
         {input, Text, u"last_name", u"", 20},
         u"fname",
         u"lname"},
        {"second phone box", {input, Text, u"tel2", u"-", 3}, u"hphone1", u"hphone2"},
        {"second phone box too narrow", {input, Text, u"tel2", u"-", 2}, u"hphone1", u""},
        {"second phone box unreadable size", {input, Text, u"tel2", u"", -1}, u"hphone1", u""},
        {"extension is not the second box", {input, Text, u"phone_ext", u"", 4}, u"hphone1", u""},
        {"third phone box", {input, Text, u"tel3", u"-", 4}, u"hphone2", u""},
        {"third box named phone falls to the name",
         {input, Text, u"phone_suffix", u"-", 4},
         u"hphone2",
         u"hphone1"},
        {"password never uses context", {input, Password, u"tel2", u"", 5}, u"hphone1", u""},
        {"number never uses context", {input, Number, u"tel2", u"", 5}, u"hphone1", u""},
        {"list box ignores the size",
         {FieldKind::Select, Other, u"x", u"", -1},
         u"hphone1",
         u"hphone2"},
        {"empty previous key gives no context", {input, Text, u"tel2", u"", 3}, u"", u""},
        {"verification code after card number", {input, Text, u"cvc", u"", 4}, u"cc#", u"ccvcode"},
        {"wide box after card number", {input, Text, u"holder", u"", 20}, u"cc#", u"ccname"},
        {"bank account number",
         {input, Text, u"bank_account_number", u"Account number", 10},
         u"babank",
         u"baacct#"},
        {"routing after account", {input, Text, u"rt", u"", 9}, u"baacct#", u"barout#"},
        {"a key with # only matches its own spelling",
         {input, Text, u"acct", u"", 10},
         u"barout#",
         u""},
        {"work zip never follows the work state",
         {input, Text, u"zip_code", u"", 5},
         u"wst",
         u"hzip1"},
        {"cell second box", {input, Text, u"c2", u"", 7}, u"cell1", u"cell2"},
        {"bank phone second box", {input, Text, u"b2", u"", 7}, u"ccphone1", u"ccphone2"},
        {"pager row after work pager", {input, Text, u"job", u"", 10}, u"wpager2", u"wtitle"},
    });
}

TEST(FieldRecognizerTest, NameAttributeIsTheLastResort) {
    using enum InputType;
    const FieldKind input = FieldKind::Input;
    ExpectRecognised({
        {"zip too narrow", {input, Text, u"zip", u"", 2}, kFirst, u""},
        {"zip wide enough", {input, Text, u"zip", u"", 5}, kFirst, u"hzip1"},
        {"maximum size is not checked", {input, Text, u"billing_zip", u"", 20}, kFirst, u"hzip1"},
        {"framework prefix", {input, Text, u"txtFirstName", u""}, kFirst, u"fname"},
        {"last name attribute", {input, Text, u"lname", u""}, kFirst, u"lname"},
        {"email attribute", {input, Text, u"user_email_address", u""}, kFirst, u"email"},
        {"work city", {input, Text, u"work_city", u""}, kFirst, u"wcity"},
        {"card number", {input, Text, u"cardNumber", u""}, kFirst, u"cc#"},
        {"label without include word",
         {input, Text, u"zip", u"Where do you live?", 10},
         kFirst,
         u"hzip1"},
        {"unreadable size", {input, Text, u"email", u"", -1}, kFirst, u""},
        {"checkbox can take a key", {input, Checkbox, u"fname", u""}, kFirst, u"fname"},
        {"button can take a key", {input, Button, u"email", u""}, kFirst, u"email"},
    });
}

TEST(FieldRecognizerTest, InputsOfTypeImageAndAboveNeverGetAKey) {
    for (InputType type : {InputType::Image, InputType::File, InputType::Hidden, InputType::Reset,
                           InputType::Submit, InputType::Other}) {
        const CFieldRecognizer recognizer(kYear);
        EXPECT_EQ(recognizer.Recognise(
                      Facts({FieldKind::Input, type, u"fname", u"First name"}, u"fname")),
                  u"");
    }
    // The same type code on a text area does not stop it.
    const CFieldRecognizer recognizer(kYear);
    EXPECT_EQ(recognizer.Recognise(
                  Facts({FieldKind::TextArea, InputType::Other, u"fname", u"First name"}, kFirst)),
              u"fname");
}

TEST(FieldRecognizerTest, SplitPhoneNumberAcrossThreeBoxes) {
    const std::vector<SControl> form = {
        {FieldKind::Input, InputType::Text, u"tel1", u"Phone", 3},
        {FieldKind::Input, InputType::Text, u"tel2", u"-", 3},
        {FieldKind::Input, InputType::Text, u"tel3", u"-", 4},
    };
    EXPECT_EQ(RecogniseForm(form), (std::vector<std::u16string>{u"hphone1", u"hphone2", u""}));
}

TEST(FieldRecognizerTest, ListBoxContentRules) {
    const COptionList titles =
        Options({{u"Mr", u"Mr"}, {u"Mrs", u"Mrs"}, {u"Ms", u"Ms"}, {u"Dr", u"Dr"}});
    const COptionList upperTitles = Options({{u"MR", u"1"}, {u"MS", u"2"}});
    const COptionList manyTitles = Options({{u"Mr", u"1"},
                                            {u"Mrs", u"2"},
                                            {u"Ms", u"3"},
                                            {u"Dr", u"4"},
                                            {u"Prof", u"5"},
                                            {u"Rev", u"6"},
                                            {u"Sir", u"7"},
                                            {u"Lady", u"8"},
                                            {u"Lord", u"9"},
                                            {u"Dame", u"10"}});
    const COptionList genders =
        Options({{u"-- select --", u""}, {u"Male", u"1"}, {u"Female", u"2"}});
    const COptionList fourGenders =
        Options({{u"Select", u""}, {u"Male", u"1"}, {u"Female", u"2"}, {u"Other", u"3"}});
    const COptionList genderLetters = Options({{u"Man", u"M"}, {u"Woman", u"F"}});
    const COptionList countries =
        Options({{u"United States", u"US"}, {u"Australia", u"AU"}, {u"Canada", u"CA"}});
    const COptionList notCountries = Options({{u"Austria", u"AT"}, {u"Canada", u"CA"}});
    const COptionList states = Options({{u"Alabama", u"AL"},
                                        {u"Alaska", u"AK"},
                                        {u"Arizona", u"AZ"},
                                        {u"Maryland", u"MD"},
                                        {u"Mississippi", u"MS"},
                                        {u"Montana", u"MT"},
                                        {u"Nevada", u"NV"},
                                        {u"Texas", u"TX"},
                                        {u"Utah", u"UT"},
                                        {u"Vermont", u"VT"},
                                        {u"Virginia", u"VA"},
                                        {u"Wyoming", u"WY"}});
    const COptionList cardTypes = Options({{u"Visa", u"visa"},
                                           {u"MasterCard", u"mc"},
                                           {u"American Express", u"amex"},
                                           {u"Discover", u"disc"}});
    const COptionList notMonths = NumberOptions(0, 20);
    const COptionList yearTexts = Options({{u"2027", u"27"}, {u"2028", u"28"}});

    using enum InputType;
    const FieldKind select = FieldKind::Select;
    ExpectRecognised({
        {"titles whatever the label",
         {select, Other, u"x", u"Salutation", -1, u"", &titles},
         kFirst,
         u"title"},
        {"titles in capitals", {select, Other, u"x", u"", -1, u"", &upperTitles}, kFirst, u"title"},
        {"ten titles are not a title list",
         {select, Other, u"honorific", u"", -1, u"", &manyTitles},
         kFirst,
         u""},
        {"ten titles labelled Title",
         {select, Other, u"x", u"Title", -1, u"", &manyTitles},
         kFirst,
         u"title"},
        {"male and female", {select, Other, u"x", u"I am", -1, u"", &genders}, kFirst, u"sex"},
        {"four gender options", {select, Other, u"x", u"I am", -1, u"", &fourGenders}, kFirst, u""},
        {"gender letters", {select, Other, u"x", u"", -1, u"", &genderLetters}, kFirst, u"sex"},
        {"birth day by label",
         {select, Other, u"x", u"Birth date", -1, u"", &kDays},
         kFirst,
         u"bdayd"},
        {"birth day by name",
         {select, Other, u"birth_d", u"Day", -1, u"", &kDays},
         kFirst,
         u"bdayd"},
        {"day after birth month",
         {select, Other, u"d", u"Day", -1, u"", &kDaysWithPlaceholder},
         u"bdaym",
         u"bdayd"},
        {"plain day list", {select, Other, u"day", u"Day", -1, u"", &kDays}, kFirst, u""},
        {"plain day list named for the table",
         {select, Other, u"dob_day", u"Day", -1, u"", &kDays},
         kFirst,
         u"bdayd"},
        {"birth month after birth day",
         {select, Other, u"m", u"", -1, u"", &kMonthNumbers},
         u"bdayd",
         u"bdaym"},
        {"birth month by label",
         {select, Other, u"m", u"Birth month", -1, u"", &kMonthNames},
         u"fname",
         u"bdaym"},
        {"expiry month after card number",
         {select, Other, u"exp_month", u"Expires", -1, u"", &kMonthNames},
         u"cc#",
         u"ccexpm"},
        {"expiry month after card type",
         {select, Other, u"m", u"", -1, u"", &kMonthNumbers},
         u"cctype",
         u"ccexpm"},
        {"month named year falls to the table",
         {select, Other, u"exp_year", u"Expiry", -1, u"", &kMonthNames},
         u"cc#",
         u"ccexpy"},
        {"month list after email",
         {select, Other, u"month", u"Month", -1, u"", &kMonthNames},
         u"email",
         u""},
        {"expiry year after expiry month",
         {select, Other, u"y", u"", -1, u"", &kExpiryYears},
         u"ccexpm",
         u"ccexpy"},
        {"expiry year found through texts",
         {select, Other, u"y", u"", -1, u"", &yearTexts},
         u"cc#",
         u"ccexpy"},
        {"birth years after birth month",
         {select, Other, u"year", u"Year", -1, u"", &kBirthYears},
         u"bdaym",
         u"bdayy"},
        {"countries", {select, Other, u"x", u"", -1, u"", &countries}, kFirst, u"hcountry"},
        {"no Australia", {select, Other, u"x", u"", -1, u"", &notCountries}, kFirst, u""},
        {"states by label",
         {select, Other, u"x", u"State/Province", -1, u"", &states},
         kFirst,
         u"hst"},
        {"states after city", {select, Other, u"x", u"", -1, u"", &states}, u"hcity", u"hst"},
        {"card types by label",
         {select, Other, u"x", u"Card type", -1, u"", &cardTypes},
         kFirst,
         u"cctype"},
        {"card types by name, selected text as value",
         {select, Other, u"creditCardType", u"", -1, u"Visa", &cardTypes},
         kFirst,
         u"cctype"},
        {"list box without options", {select, Other, u"country", u"", -1}, kFirst, u"hcountry"},
    });
}

TEST(FieldRecognizerTest, ListBoxContentAlone) {
    const COptionList notMonths = NumberOptions(0, 20);
    const COptionList nearYears = NumberOptions(kYear - 1, kYear + 1);
    struct Case {
        const char* what;
        const COptionList* options;
        std::u16string label;
        std::u16string name;
        std::optional<std::u16string> previous;
        std::u16string expected;
    };
    const Case cases[] = {
        {"month list without previous field", &kMonthNames, u"Birth month", u"m", kFirst, u""},
        {"month list labelled issue", &kMonthNames, u"Issue date", u"m", u"cc#", u""},
        {"month list named number", &kMonthNumbers, u"", u"card_number_m", u"cc#", u""},
        {"month list after a previous key spelled otherwise", &kMonthNames, u"", u"m", u"ccexpy",
         u""},
        {"thirteen is not a month", &notMonths, u"", u"m", u"bdayd", u""},
        {"year list needs the year after next", &nearYears, u"", u"y", u"ccexpm", u""},
        {"expiry years need a card field before", &kExpiryYears, u"", u"y", u"bdaym", u""},
        {"day list without birth context", &kDays, u"Day", u"d", u"ccexpm", u""},
        {"no options", nullptr, u"", u"", u"cc#", u""},
        {"expiry years after card number", &kExpiryYears, u"", u"y", u"cc#", u"ccexpy"},
    };
    const CFieldRecognizer recognizer(kYear);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SControl control{FieldKind::Select, InputType::Other, c.name, c.label, -1, u"",
                               c.options};
        EXPECT_EQ(recognizer.RecogniseListContent(Facts(control, c.previous)), c.expected);
    }
}

TEST(FieldRecognizerTest, ExpiryYearsFollowTheLocalClock) {
    const std::int32_t year = CFieldRecognizer::CurrentLocalYear();
    EXPECT_GE(year, 2024);
    const COptionList years = NumberOptions(year, year + 8);
    const COptionList stale = NumberOptions(year - 10, year);
    const CFieldRecognizer recognizer;
    const SControl current{FieldKind::Select, InputType::Other, u"y", u"", -1, u"", &years};
    const SControl old{FieldKind::Select, InputType::Other, u"y", u"", -1, u"", &stale};
    EXPECT_EQ(recognizer.RecogniseListContent(Facts(current, u"ccexpm")), u"ccexpy");
    EXPECT_EQ(recognizer.RecogniseListContent(Facts(old, u"ccexpm")), u"");
}

TEST(FieldRecognizerTest, IdentityFormCountsKeyedFields) {
    struct Case {
        const char* what;
        std::int32_t keyedTexts;
        std::int32_t keyedChecks;  // keyed checkboxes and radios do not count
        std::int32_t total;
        bool expected;
    };
    const Case cases[] = {
        {"7 fields, 2 keyed", 2, 0, 7, true},
        {"8 fields, 2 keyed", 2, 0, 8, false},
        {"4 keyed of many", 4, 0, 30, true},
        {"1 keyed alone", 1, 0, 1, false},
        {"2 keyed of 2", 2, 0, 2, true},
        {"3 keyed of 9", 3, 0, 9, true},
        {"3 keyed of 12", 3, 0, 12, false},
        {"keyed checks ignored", 3, 2, 12, false},
        {"keyed checks cannot lift", 1, 3, 4, false},
        {"empty form", 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<SRecognisedField> fields;
        for (std::int32_t i = 0; i < c.total; ++i) {
            SRecognisedField field{FieldKind::Input, InputType::Text, u"", u""};
            if (i < c.keyedTexts) {
                field.key = u"email";
            } else if (i < c.keyedTexts + c.keyedChecks) {
                field.inputType = (i % 2 == 0) ? InputType::Checkbox : InputType::Radio;
                field.key = u"sex";
            }
            fields.push_back(field);
        }
        EXPECT_EQ(CFieldRecognizer::IsIdentityForm(fields), c.expected);
    }
}

TEST(FieldRecognizerTest, LoginFormWindow) {
    using enum InputType;
    const FieldKind input = FieldKind::Input;
    const SRecognisedField text{input, Text, u"", u""};
    const SRecognisedField password{input, Password, u"", u""};
    const SRecognisedField checkbox{input, Checkbox, u"", u""};
    const SRecognisedField radio{input, Radio, u"", u""};
    const SRecognisedField number{input, Number, u"", u""};
    const SRecognisedField select{FieldKind::Select, Other, u"", u""};
    const SRecognisedField area{FieldKind::TextArea, Other, u"", u""};
    const auto repeat = [](std::vector<SRecognisedField> form, const SRecognisedField& field,
                           int times) {
        form.insert(form.end(), static_cast<std::size_t>(times), field);
        return form;
    };
    struct Case {
        const char* what;
        std::vector<SRecognisedField> fields;
        bool expected;
    };
    const Case cases[] = {
        {"user, password, remember me", {text, password, checkbox}, true},
        {"same in 11 inputs", repeat({text, password, checkbox}, text, 8), false},
        {"exactly 10 inputs", repeat({text, password, checkbox}, text, 7), true},
        {"password after four text fields", {text, text, text, text, password}, false},
        {"password as fourth text field", {text, text, text, password}, true},
        {"checks and radios take no place",
         {text, checkbox, text, radio, text, number, password},
         true},
        {"list boxes take no place and are not inputs", repeat({text, text, text}, select, 9),
         false},
        {"password beyond many list boxes",
         [&] {
             auto form = repeat({text, text, text}, select, 9);
             form.push_back(password);
             return form;
         }(),
         true},
        {"text areas count as inputs", repeat({text, password}, area, 9), false},
        {"text labelled password", {text, {input, Text, u"Password:", u""}}, true},
        {"text labelled in capitals", {{input, Text, u"PASSWORD", u""}}, true},
        {"label must begin with password", {{input, Text, u"Your password", u""}}, false},
        {"label of a number field ignored", {{input, Number, u"Password", u""}}, false},
        {"no password at all", {text, text, checkbox}, false},
        {"empty form", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CFieldRecognizer::IsLoginForm(c.fields), c.expected);
    }
}

TEST(FieldRecognizerTest, RealisticForms) {
    using enum InputType;
    const FieldKind input = FieldKind::Input;
    const FieldKind select = FieldKind::Select;
    const COptionList states = Options({{u"State", u""},
                                        {u"Alabama", u"AL"},
                                        {u"Alaska", u"AK"},
                                        {u"Arizona", u"AZ"},
                                        {u"California", u"CA"},
                                        {u"Colorado", u"CO"},
                                        {u"New York", u"NY"},
                                        {u"Ohio", u"OH"},
                                        {u"Texas", u"TX"},
                                        {u"Utah", u"UT"}});
    const COptionList cardTypes = Options({{u"Visa", u"visa"}, {u"MasterCard", u"mc"}});
    struct Case {
        const char* what;
        std::vector<SControl> controls;
        std::vector<std::u16string> keys;
        bool identity;
        bool login;
    };
    const Case cases[] = {
        {"login",
         {{input, Text, u"username", u"Username"},
          {input, Password, u"password", u"Password"},
          {input, Checkbox, u"remember", u"Remember me"}},
         {u"name", u"", u""},
         false,
         true},
        {"sign-up",
         {{input, Text, u"first_name", u"First name"},
          {input, Text, u"last_name", u"Last name"},
          {input, Text, u"email", u"Email"},
          {input, Password, u"pass", u"Password"},
          {input, Password, u"pass2", u"Confirm password"},
          {input, Checkbox, u"terms", u"I agree to the terms"}},
         {u"fname", u"lname", u"email", u"", u"", u""},
         true,
         true},
        {"checkout",
         {{input, Text, u"ship_name", u"Name"},
          {input, Text, u"ship_addr1", u"Address"},
          {input, Text, u"ship_city", u"City"},
          {select, Other, u"ship_state", u"", -1, u"State", &states},
          {input, Text, u"ship_zip", u"Zip", 10},
          {input, Text, u"phone", u"Phone", 14},
          {select, Other, u"card_type", u"Card type", -1, u"Visa", &cardTypes},
          {input, Text, u"card_no", u"Card number", 20},
          {select, Other, u"exp_m", u"Expires", -1, u"1", &kMonthNumbers},
          {select, Other, u"exp_y", u"", -1, u"2026", &kExpiryYears},
          {input, Text, u"cvv", u"CVV2", 4},
          {input, Checkbox, u"save", u"Save this card"}},
         {u"name", u"hstr", u"hcity", u"hst", u"hzip1", u"hphone1", u"cctype", u"cc#", u"ccexpm",
          u"ccexpy", u"ccvcode", u""},
         true,
         false},
        {"newsletter",
         {{input, Text, u"q", u"Search"}, {input, Text, u"subscribe_email", u"Your email"}},
         {u"", u"email"},
         false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::u16string> keys = RecogniseForm(c.controls);
        EXPECT_EQ(keys, c.keys);
        const std::vector<SRecognisedField> fields = Summaries(c.controls, keys);
        EXPECT_EQ(CFieldRecognizer::IsIdentityForm(fields), c.identity);
        EXPECT_EQ(CFieldRecognizer::IsLoginForm(fields), c.login);
    }
}

}  // namespace
}  // namespace veltrix
