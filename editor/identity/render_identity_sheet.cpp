// Renders every page of the Identity property sheet, and its name prompt, to PNG files in the
// folder given on the command line, for review and the user documentation. Run offscreen:
// QT_QPA_PLATFORM=offscreen render_identity_sheet docs/screenshots
#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "editor/identity/identity_sheet_widget.h"
#include "editor/identity/identity_texts.h"
#include "editor/identity/name_prompt_dialog.h"
#include "ui/qt/qt_user_interface.h"

namespace {

using namespace veltrix;

// A filled-in example record.
CIdentity ExampleIdentity() {
    CIdentity identity;
    const std::pair<IdentityKey, std::u16string_view> fields[] = {
        {IdentityKey::Title, u"Dr"},
        {IdentityKey::FirstName, u"Ann"},
        {IdentityKey::MiddleName, u"Beth"},
        {IdentityKey::LastName, u"Lee"},
        {IdentityKey::Email, u"ann.lee@example.org"},
        {IdentityKey::Sex, u"F"},
        {IdentityKey::MaritalStatus, u"Married"},
        {IdentityKey::BirthYear, u"1984"},
        {IdentityKey::BirthMonth, u"02"},
        {IdentityKey::BirthDay, u"29"},
        {IdentityKey::BirthPlace, u"Bergen"},
        {IdentityKey::Cell1, u"0170"},
        {IdentityKey::Cell2, u"5550123"},
        {IdentityKey::DriversLicense, u"B-123456"},
        {IdentityKey::LicenseExpiryYear, u"2031"},
        {IdentityKey::LicenseExpiryMonth, u"06"},
        {IdentityKey::LicenseExpiryDay, u"30"},
        {IdentityKey::HomeStreet, u"12 Harbour Road\nFlat 3"},
        {IdentityKey::HomeCity, u"Springfield"},
        {IdentityKey::HomeState, u"OR"},
        {IdentityKey::HomeZip, u"97477"},
        {IdentityKey::HomeCountry, u"United States"},
        {IdentityKey::HomePhone1, u"541"},
        {IdentityKey::HomePhone2, u"5550199"},
        {IdentityKey::Company, u"Example Trading Ltd"},
        {IdentityKey::WorkStreet, u"1 Market Square"},
        {IdentityKey::WorkCity, u"Springfield"},
        {IdentityKey::WorkCountry, u"United States"},
        {IdentityKey::JobTitle, u"Buyer"},
        {IdentityKey::Department, u"Purchasing"},
        {IdentityKey::WorkPhone1, u"541"},
        {IdentityKey::WorkPhone2, u"5550142"},
    };
    for (const auto& [key, value] : fields) {
        identity.Set(key, value);
    }
    CCreditCard card;
    card.Set(CardKey::Id, u"Everyday Visa");
    card.Set(CardKey::Type, u"Visa");
    card.Set(CardKey::Number, u"4111111111111111");
    card.Set(CardKey::VerificationCode, u"123");
    card.Set(CardKey::ExpiryMonth, u"09");
    card.Set(CardKey::ExpiryYear, u"2029");
    card.Set(CardKey::NameOnCard, u"ANN B LEE");
    card.Set(CardKey::Bank, u"Example Bank");
    identity.AddCreditCard(card);
    CBankAccount account;
    account.Set(AccountKey::Id, u"Salary");
    account.Set(AccountKey::Type, u"Checking");
    account.Set(AccountKey::AccountNumber, u"000123456789");
    account.Set(AccountKey::RoutingNumber, u"021000021");
    account.Set(AccountKey::Bank, u"Example Bank");
    account.Set(AccountKey::Owner, u"Ann Lee");
    identity.AddBankAccount(account);
    return identity;
}

bool Save(QWidget& widget, const QString& folder, const QString& name) {
    widget.show();
    QApplication::processEvents();
    const QString path = folder + "/" + name + ".png";
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", path.toUtf8().constData());
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_identity_sheet FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    ui::QtUiScope uiScope;
    CIdentity identity = ExampleIdentity();
    editor::IdentitySheetWidget sheet(uiScope.Ui());
    sheet.Attach(&identity);
    sheet.resize(640, 480);
    bool ok = true;
    static const char* const kFileNames[] = {"summary",  "name",         "home",         "business",
                                             "personal", "credit_cards", "bank_accounts"};
    for (int page = 0; page < sheet.count(); ++page) {
        sheet.setCurrentIndex(page);
        ok &= Save(sheet, folder, QStringLiteral("identity_%1").arg(kFileNames[page]));
    }
    sheet.hide();

    editor::identity::NamePromptDialog prompt(u"New Credit Card",
                                              u"Type a name for the new Credit Card");
    ok &= Save(prompt, folder, QStringLiteral("identity_new_credit_card"));
    return ok ? 0 : 1;
}
