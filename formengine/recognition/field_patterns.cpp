#include "formengine/recognition/field_patterns.h"

#include "formengine/recognition/text_normalisation.h"

namespace veltrix {

namespace {

// clang-format off
constexpr SFieldPattern kPatterns[] = {
    {0, 3, u"title", u"title|prefix", u"phone", u""},
    {1, 30, u"fname", u"fname|firstname|first|namef|forename", u"address|maiden", u""},
    {1, 30, u"mname", u"mname|mname|middlename|middle|namem|middleinitial",
        u"house|last|surname|namel|lname|maiden", u"fname"},
    {3, 30, u"lname", u"lname|lname|lastname|last|namel|surname|familyname", u"house|maiden",
        u"mname|fname"},
    {4, 40, u"name", u"name|fullname",
        u"company|credit|cardname|maiden|street|bank|account|city|house", u""},
    {6, 40, u"email", u"email", u"", u""},
    {1, 7, u"sex", u"sex|gender", u"city|example", u""},
    {2, 6, u"bdayy", u"birthyear|birthdayyear|yob|dob", u"bdayd|exp|valid|start|credit|day|month",
        u"bdayd|bdaym"},
    {2, 9, u"bdaym", u"birthmonth|birthdaymonth|dateofbirth|birthdate|mob|dob",
        u"bdayy|year|day|exp|valid|start|credit|mobile|yob|phone", u"bdayy"},
    {2, 10, u"bdayd", u"birthday|birthdayday|dob", u"bdaym|month|year|yob", u"bdaym"},
    {3, 12, u"mmname", u"mothersmaidenname|maiden", u"", u""},
    {9, 11, u"ssn", u"socialsecurity|ssn|nationalinsurance|nino|taxid", u"address", u""},
    {6, 24, u"dln", u"driverslicense", u"", u""},
    {1, 8, u"mstat", u"maritalstatus|marital", u"", u""},
    {6, 30, u"hstr", u"street|address1|address|apt|dept", u"work|business|email|addressin", u""},
    {6, 30, u"hcity", u"city|town",
        u"work|business|address1|address2|address3|addr1|addr2|addr3|line1|line2|apartment|suite",
        u"hstr"},
    {6, 30, u"hst", u"state|stateprov", u"work|business|phone", u"hcity"},
    {5, 10, u"hzip1", u"zip|postalcode|postcode", u"work|business", u""},
    {6, 30, u"hcountry", u"country|province", u"work|business", u""},
    {3, 15, u"hphone1",
        u"phone|areacode|eveningphone|eveningtel|homephone|hometelephone|secondaryphone",
        u"work|business|customer|day|ext|mobile|cell", u""},
    {3, 10, u"hphone2", u"", u"ext|code", u"hphone1"},
    {3, 15, u"hfax1", u"fax|facimile", u"work|business|customer", u""},
    {3, 10, u"hfax2", u"", u"customer", u"hfax1"},
    {3, 15, u"cell1", u"cell|mobile", u"", u""},
    {3, 10, u"cell2", u"", u"", u"cell1"},
    {3, 30, u"wco", u"company|businessname", u"home|position", u""},
    {6, 20, u"wstr", u"workstreet|workaddress", u"home", u""},
    {6, 20, u"wcity", u"workcity", u"home|address|county|suite", u"wstr"},
    {6, 20, u"wst", u"workstate", u"home", u"wcity"},
    {5, 10, u"wzip1", u"workzip", u"home", u"wstate"},
    {6, 20, u"wcountry", u"workcountry|workprovince", u"home", u""},
    {3, 15, u"wphone1",
        u"workphone|worktelephone|workphone|dayphone|daytimephone|daytimetelephone|daytel|"
        u"dayareacode|primaryphone",
        u"home|customer|evening|ext|mobile|cell|onbusiness", u""},
    {3, 10, u"wphone2", u"", u"ext", u"wphone1"},
    {3, 15, u"wfax1", u"workfax", u"home|customer", u""},
    {3, 10, u"wfax2", u"", u"home|customer", u"wfax1"},
    {3, 15, u"wpager1", u"workpager|businesspager", u"home", u""},
    {3, 10, u"wpager2", u"wpager", u"home|ext", u""},
    {6, 20, u"wtitle", u"position|jobtitle", u"home", u"wpager2"},
    {6, 20, u"wdept", u"workdepartment", u"home", u""},
    {6, 20, u"cctype", u"creditcard|credit|typeofcard|cardtype",
        u"number|expiry|expiration|nameasitappears", u""},
    {10, 25, u"cc#", u"creditcardnumber|cardnumber|accountnumber|cardno",
        u"phone|telephone|customer|bank|frequent|flyer", u"cctype"},
    {3, 4, u"ccvcode", u"securitycode|verificationnumber|cvv2|securitynumber|cardcode", u"",
        u"cc#"},
    {2, 10, u"ccexpm", u"expiry|expiration|expmonth", u"number|year|issue",
        u"cctype|ccname|ccvcode|cc#"},
    {2, 6, u"ccexpy", u"expiry|expiration|expyear", u"issue", u"ccexpm"},
    {2, 10, u"ccvfromm", u"validfrom|startdate|startmonth", u"", u""},
    {2, 6, u"ccvfromy", u"validfrom|startdate|startyear", u"", u"ccvfromm"},
    {6, 40, u"ccname", u"nameoncard|nameoncreditcard|nameasitappears|ccname", u"number|year",
        u"cctype|cc#|ccexpm|ccexpy"},
    {6, 20, u"ccbank", u"issuingbank|issuer", u"", u""},
    {3, 15, u"ccphone1", u"bankphone|banktelephone", u"ext", u""},
    {3, 10, u"ccphone2", u"", u"", u"ccphone1"},
    {3, 30, u"babank", u"bankname", u"", u""},
    {9, 12, u"baacct#", u"acountnumber", u"credit", u"babank|barout|batype"},
    {9, 12, u"barout#", u"routing", u"", u"baacct#|batype|"},
    {5, 30, u"batype", u"accounttype", u"travel", u"babank"},
    {6, 30, u"baowner", u"accountname|nameonaccout|nameontheaccount", u"",
        u"babank|baacct#|barout"},
};
// clang-format on

static_assert(std::size(kPatterns) == 55);

}  // namespace

std::span<const SFieldPattern> FieldPatterns() {
    return kPatterns;
}

const SFieldPattern* FindFieldPattern(std::u16string_view key) {
    for (const SFieldPattern& row : kPatterns) {
        if (row.key == key) {
            return &row;
        }
    }
    return nullptr;
}

std::span<const SFieldPatternWords> FieldPatternWords() {
    static const std::vector<SFieldPatternWords> kWords = [] {
        std::vector<SFieldPatternWords> words;
        words.reserve(std::size(kPatterns));
        for (const SFieldPattern& row : kPatterns) {
            words.push_back({&row, SplitWords(row.include), SplitWords(row.exclude),
                             SplitWords(row.previousKeys)});
        }
        return words;
    }();
    return kWords;
}

const SFieldPatternWords* FindFieldPatternWords(std::u16string_view key) {
    for (const SFieldPatternWords& words : FieldPatternWords()) {
        if (words.pattern->key == key) {
            return &words;
        }
    }
    return nullptr;
}

}  // namespace veltrix
