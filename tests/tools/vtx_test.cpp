// vtx as a user runs it: a separate process over an isolated vault and registry.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/configuration.h"
#include "core/messages.h"
#include "core/record_io.h"
#include "core/record_kind.h"
#include "core/web_login.h"
#include "core/web_login_index.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/child_process.h"
#include "tests/support/test_environment.h"

namespace veltrix {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class VtxTest : public ::testing::Test {
protected:
    // vtx reaches the session through vtxcore, which must be registered first.
    VtxTest() { EXPECT_EQ(Vtx({"register"}).status, 0); }

    // Runs vtx with `args` (each quoted for the shell), feeding `input` on standard input.
    Outcome Vtx(const std::vector<std::string>& args, const std::string& input = "") {
        const auto dir = m_env.Root();
        test::WriteFileBytes(dir / "stdin", input);
        // setsid: without a controlling terminal a prompt cannot wait for a keyboard.
        std::string command = "setsid -w '" + (test::ProgramFolder() / "vtx").string() + "'";
        for (const auto& arg : args) {
            command += " '" + arg + "'";
        }
        command += " < '" + (dir / "stdin").string() + "' > '" + (dir / "stdout").string() +
                   "' 2> '" + (dir / "stderr").string() + "'";
        auto result = platform::RunProcess("/bin/sh", {"-c", command}, 30000);
        return {result.exitCode, test::ReadFileBytes(dir / "stdout"),
                test::ReadFileBytes(dir / "stderr")};
    }

    std::string PasswordFile(const std::string& password) {
        auto path = m_env.Root() / ("password-" + std::to_string(++m_passwordFiles));
        test::WriteFileBytes(path, password + "\n");
        return path.string();
    }

    Outcome WithPassword(const std::string& password, std::vector<std::string> args,
                         const std::string& input = "") {
        args.insert(args.begin(), {"--password-file", PasswordFile(password)});
        return Vtx(args, input);
    }

    test::IsolatedEnvironment m_env;
    // Mutable: const helpers read settings, which caches.
    mutable config::Settings m_settings{platform::Registry::Default()};
    int m_passwordFiles = 0;
};

const std::string kIdentityText =
    "<fname>Ann</fname>\r\n<lname>Lee</lname>\r\n<cc1><ccid>Work</ccid>\r\n<cc#>4111</cc#></cc1>";

TEST_F(VtxTest, PutThenShowAndListRoundTrip) {
    ASSERT_EQ(WithPassword("Secret1", {"put", "identity", "Ann Lee"}, kIdentityText).status, 0);
    ASSERT_EQ(WithPassword("Secret1", {"put", "identity", "Bob"}, "<fname>Bob</fname>").status, 0);
    ASSERT_EQ(WithPassword("Secret1", {"put", "note", "Locker"}, "12-34-56 <b>x</b>").status, 0);

    auto shown = WithPassword("Secret1", {"show", "identity", "Ann Lee"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, kIdentityText);
    EXPECT_EQ(WithPassword("Secret1", {"show", "note", "Locker"}).out, "12-34-56 <b>x</b>");
    EXPECT_EQ(Vtx({"list", "identities"}).out, "Ann Lee\nBob\n");
    EXPECT_EQ(Vtx({"list", "notes"}).out, "Locker\n");
    EXPECT_EQ(Vtx({"list", "weblogins"}).out, "");
}

TEST_F(VtxTest, PutNormalisesTheTextThroughTheRecordClass) {
    // Unknown elements are dropped, known ones come out in the record's own order.
    ASSERT_EQ(WithPassword("Secret1", {"put", "identity", "Ann"},
                           "<lname>Lee</lname>\r\n<junk>x</junk>\r\n<fname>Ann</fname>")
                  .status,
              0);
    EXPECT_EQ(WithPassword("Secret1", {"show", "identity", "Ann"}).out,
              "<fname>Ann</fname>\r\n<lname>Lee</lname>");
}

TEST_F(VtxTest, ShowsFilesWrittenByAnIndependentImplementation) {
    std::ifstream expected(test::TestDataFolder() / "vault" / "EXPECTED.tsv");
    std::string line;
    int checked = 0;
    while (std::getline(expected, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string file, password, text;
        std::getline(fields, file, '\t');
        std::getline(fields, password, '\t');
        std::getline(fields, text);
        for (std::size_t at; (at = text.find("\\r\\n")) != std::string::npos;) {
            text.replace(at, 4, "\r\n");
        }
        const std::string name = file.substr(0, file.rfind('.'));
        const std::string ext = file.substr(file.rfind('.') + 1);
        const std::string kind = ext == "vxi" ? "identity" : ext == "vxw" ? "weblogin" : "note";
        // One file a vault: the fixtures do not all share one master password.
        std::filesystem::remove_all(m_env.VaultFolder());
        std::filesystem::create_directories(m_env.VaultFolder());
        std::filesystem::copy_file(test::TestDataFolder() / "vault" / file,
                                   m_env.VaultFolder() / file);
        auto shown = WithPassword(password, {"show", kind, name});
        EXPECT_EQ(shown.status, 0) << file << ": " << shown.err;
        EXPECT_EQ(shown.out, text) << file;
        ++checked;
    }
    EXPECT_EQ(checked, 4);
}

TEST_F(VtxTest, WrongPasswordIsRefusedWithTheSystemMessage) {
    ASSERT_EQ(WithPassword("Secret1", {"put", "note", "Locker"}, "combination").status, 0);
    auto shown = WithPassword("secret1", {"show", "note", "Locker"});
    EXPECT_NE(shown.status, 0);
    EXPECT_EQ(shown.out, "");
    EXPECT_NE(shown.err.find("The password does not match the existing password."),
              std::string::npos);
    // A record written under another password would split the vault: it is refused too.
    EXPECT_NE(WithPassword("Other one", {"put", "note", "Second"}, "x").status, 0);
    EXPECT_EQ(Vtx({"list", "notes"}).out, "Locker\n");
}

TEST_F(VtxTest, RecordFileDecryptsWithAStandardBlowfishCbcTool) {
    // The openssl command line takes Blowfish keys of 16 bytes only, hence the password length.
    const std::string password = "Secret1-Secret1!";
    ASSERT_EQ(WithPassword(password, {"put", "note", "Plain"}, "hello").status, 0);
    const std::string file = test::ReadFileBytes(m_env.VaultFolder() / "Plain.vxn");
    ASSERT_GE(file.size(), 16u);
    std::vector<unsigned char> iv(file.begin(), file.begin() + 8);
    test::WriteFileBytes(m_env.Root() / "cipher", file.substr(8));
    const std::string command = "openssl enc -d -bf-cbc -provider legacy -provider default -K " +
                                test::ToHex({password.begin(), password.end()}) + " -iv " +
                                test::ToHex(iv) + " -in '" + (m_env.Root() / "cipher").string() +
                                "' -out '" + (m_env.Root() / "plain").string() + "'";
    ASSERT_TRUE(platform::RunProcess("/bin/sh", {"-c", command}, 30000).Succeeded());
    const std::string plain = test::ReadFileBytes(m_env.Root() / "plain");
    // Header: its size 8, payload offset 8 + 2n, password length 2n, password offset 8.
    std::string expected("\x08\x00\x28\x00\x20\x00\x08\x00", 8);
    for (char c : password) {
        expected += {c, '\0'};
    }
    expected += std::string(
        "\xff\xfe"
        "h\0e\0l\0l\0o\0",
        12);
    EXPECT_EQ(plain, expected);
}

TEST_F(VtxTest, WebLoginIsWrittenInTheEditorsOrderAndIndexed) {
    const std::string browserOrder =
        "<urlpage>https://www.example.com/login</urlpage>\r\n<options>0</options>\r\n"
        "<fields>1</fields>\r\n<f1><name>remember</name>\r\n<tag>0</tag>\r\n<type>2</type>\r\n"
        "<state>1</state>\r\n<data>on</data></f1>";
    ASSERT_EQ(WithPassword("Secret1", {"put", "weblogin", "Example"}, browserOrder).status, 0);
    EXPECT_EQ(
        WithPassword("Secret1", {"show", "weblogin", "Example"}).out,
        "<urlpage>https://www.example.com/login</urlpage>\r\n"
        "<urlframe>https://www.example.com/login</urlframe>\r\n<options>0</options>\r\n"
        "<fields>1</fields>\r\n<f1><name>remember</name>\r\n<tag>0</tag>\r\n<type>2</type>\r\n"
        "<data>on</data>\r\n<state>1</state></f1>");
    EXPECT_EQ(LookupWebLogins(m_settings, u"http://example.com/"),
              (std::vector<std::u16string>{u"Example"}));

    // Put again under another address: the index follows.
    ASSERT_EQ(WithPassword("Secret1", {"put", "weblogin", "Example"},
                           "<urlpage>https://login.example.org/</urlpage>\r\n<fields>0</fields>")
                  .status,
              0);
    EXPECT_TRUE(LookupWebLogins(m_settings, u"http://example.com/").empty());
    EXPECT_EQ(LookupWebLogins(m_settings, u"https://login.example.org/x"),
              (std::vector<std::u16string>{u"Example"}));
}

// A Web Login put over a file it cannot read (another password) leaves no message and keeps the
// session; its old site is then unknown, so every site's entry is searched for the name.
TEST_F(VtxTest, WebLoginPutOverAnUnreadableFileStillFindsItsOldSite) {
    ASSERT_EQ(WithPassword("Secret1", {"put", "identity", "Ann"}, kIdentityText).status, 0);
    CWebLogin foreign;
    foreign.SetPageUrl(u"https://old.example/");
    ASSERT_TRUE(WriteWebLogin(RecordPath(m_settings.GetRecordFolder(RecordKind::WebLogin),
                                         u"Example", RecordKind::WebLogin),
                              foreign, WebLoginWriter::Browser,
                              RecordPassword::Given(u"Other password"))
                    .HasValue());
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, u"https://old.example/", u"Example"));

    const Outcome put =
        WithPassword("Secret1", {"put", "weblogin", "Example"},
                     "<urlpage>https://new.example/</urlpage>\r\n<fields>0</fields>");
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(put.err.find(text::ToUtf8(messages::kPasswordMismatch)), std::string::npos);
    EXPECT_TRUE(LookupWebLogins(m_settings, u"https://old.example/").empty());
    EXPECT_EQ(LookupWebLogins(m_settings, u"https://new.example/"),
              (std::vector<std::u16string>{u"Example"}));
    EXPECT_EQ(WithPassword("Secret1", {"show", "weblogin", "Example"}).out,
              "<urlpage>https://new.example/</urlpage>\r\n<urlframe>https://new.example/</urlframe>"
              "\r\n<options>0</options>\r\n<fields>0</fields>");
}

TEST_F(VtxTest, ConfigGetWritesDefaultsBackAndSetChangesValues) {
    auto got = Vtx({"config", "get", "AutoLogoff"});
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "120\n");
    auto stored = platform::Registry::Default().GetValue(
        platform::Hive::CurrentUser, u"Software\\Orvane\\Veltrix\\Configuration", u"AutoLogoff");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->AsDword(), 120u);

    EXPECT_EQ(Vtx({"config", "set", "AutoLogoff", "15"}).status, 0);
    EXPECT_EQ(Vtx({"config", "get", "AutoLogoff"}).out, "15\n");
    EXPECT_EQ(Vtx({"config", "get", "HighlightColor"}).out, "80FF80\n");
    EXPECT_NE(Vtx({"config", "set", "AutoLogoff", "soon"}).status, 0);
    EXPECT_NE(Vtx({"config", "get", "NoSuchValue"}).status, 0);
}

TEST_F(VtxTest, MisuseAndMissingRecordsFail) {
    EXPECT_EQ(Vtx({}).status, 2);
    EXPECT_EQ(Vtx({"list", "passwords"}).status, 2);
    EXPECT_EQ(Vtx({"show", "identity"}).status, 2);
    EXPECT_EQ(Vtx({"--bogus", "list", "notes"}).status, 2);
    EXPECT_EQ(Vtx({"--help"}).status, 0);
    auto missing = WithPassword("Secret1", {"show", "note", "Nothing"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(missing.err.empty());
    EXPECT_NE(WithPassword("Secret1", {"put", "note", "a/b"}, "x").status, 0);
    EXPECT_NE(Vtx({"--password-file", (m_env.Root() / "absent").string(), "list", "notes"}).status,
              0);
}

TEST_F(VtxTest, CancelledPromptWritesNothing) {
    // No terminal and no password file: the prompt cannot be answered.
    auto put = Vtx({"put", "note", "Locker"}, "secret");
    EXPECT_NE(put.status, 0);
    EXPECT_FALSE(std::filesystem::exists(m_env.VaultFolder() / "Locker.vxn"));
}

TEST_F(VtxTest, AHeldSessionIsSharedWithoutASecondPromptUntilLogoff) {
    ASSERT_EQ(WithPassword("Secret1", {"put", "note", "Locker"}, "combination").status, 0);
    test::ChildProcess hold(test::ProgramFolder() / "vtx",
                            {"--password-file", PasswordFile("Secret1"), "hold"});
    // Without a password file or a terminal, vtx can only read the note through the held session.
    Outcome shown;
    for (int i = 0; i < 100 && (shown = Vtx({"show", "note", "Locker"})).status != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(shown.out, "combination");
    EXPECT_EQ(Vtx({"show", "note", "Locker"}).out, "combination");

    EXPECT_EQ(Vtx({"logoff"}).status, 0);
    EXPECT_EQ(hold.Wait(5000), 0);  // the holder leaves with the session
    EXPECT_NE(Vtx({"show", "note", "Locker"}).status, 0);
}

// How often `needle` occurs in the readable memory of process `pid`, leaving out the shared
// session block (which holds the password by design) and the kernel's own pages.
int CountInMemory(pid_t pid, const std::string& needle) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    const int mem = open(("/proc/" + std::to_string(pid) + "/mem").c_str(), O_RDONLY);
    EXPECT_GE(mem, 0);
    int found = 0;
    std::string line;
    while (mem >= 0 && std::getline(maps, line)) {
        std::istringstream fields(line);
        std::string range, perms, offset, device, inode, path;
        fields >> range >> perms >> offset >> device >> inode >> path;
        if (perms[0] != 'r' || path.starts_with("/dev/shm") || path.starts_with("[v")) {
            continue;
        }
        const auto dash = range.find('-');
        const std::uint64_t start = std::stoull(range.substr(0, dash), nullptr, 16);
        const std::uint64_t end = std::stoull(range.substr(dash + 1), nullptr, 16);
        // Mappings of terabytes are a sanitizer's shadow reserve, not data of the program.
        if (end - start > (std::uint64_t{1} << 32)) {
            continue;
        }
        // Read in pieces that overlap by the needle's length less one, so no copy is missed at a
        // piece's edge and none is counted twice.
        constexpr std::uint64_t kPiece = 1 << 20;
        std::string bytes;
        for (std::uint64_t at = start; at < end; at += kPiece) {
            const std::uint64_t length = std::min(kPiece + needle.size() - 1, end - at);
            bytes.assign(length, '\0');
            const ssize_t got = pread(mem, bytes.data(), length, static_cast<off_t>(at));
            bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
            for (auto hit = bytes.find(needle); hit != std::string::npos;
                 hit = bytes.find(needle, hit + 1)) {
                ++found;
            }
        }
    }
    close(mem);
    return found;
}

TEST_F(VtxTest, AHoldingProcessKeepsNoCopyOfThePasswordAndDumpsNoCore) {
    const std::string password = "Qz7-unlikely-Secret";
    ASSERT_EQ(WithPassword(password, {"put", "note", "Locker"}, "combination").status, 0);
    test::ChildProcess hold(test::ProgramFolder() / "vtx",
                            {"--password-file", PasswordFile(password), "hold"});
    Outcome shown;
    for (int i = 0; i < 100 && (shown = Vtx({"show", "note", "Locker"})).status != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_EQ(shown.out, "combination") << "the holder holds the session";

    // Without the first character: clearing a string leaves all but that one in place.
    std::string utf16;
    for (char c : password.substr(1)) {
        utf16 += c;
        utf16 += '\0';
    }
    EXPECT_EQ(CountInMemory(hold.Pid(), utf16), 0) << "UTF-16 copies outside the session block";
    EXPECT_EQ(CountInMemory(hold.Pid(), password.substr(1)), 0) << "byte copies (file, key)";

    std::ifstream limits("/proc/" + std::to_string(hold.Pid()) + "/limits");
    std::string limitLine;
    bool coreLimited = false;
    while (std::getline(limits, limitLine)) {
        if (limitLine.starts_with("Max core file size")) {
            std::istringstream fields(limitLine.substr(18));
            std::string soft, hard;
            fields >> soft >> hard;
            coreLimited = soft == "0" && hard == "0";
        }
    }
    EXPECT_TRUE(coreLimited);
    EXPECT_EQ(Vtx({"logoff"}).status, 0);
    EXPECT_EQ(hold.Wait(5000), 0);
}

TEST_F(VtxTest, TheSessionNeedsTheRegisteredCoreLibrary) {
    ASSERT_EQ(WithPassword("Secret1", {"put", "note", "Locker"}, "combination").status, 0);
    ASSERT_EQ(Vtx({"unregister"}).status, 0);
    auto refused = WithPassword("Secret1", {"show", "note", "Locker"});
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.err.find("Unable to load vtxcore.dll"), std::string::npos);
    ASSERT_EQ(Vtx({"register"}).status, 0);
    EXPECT_EQ(WithPassword("Secret1", {"show", "note", "Locker"}).out, "combination");
}

TEST_F(VtxTest, GeneratePrintsAPasswordFromTheConfiguredPoolAndStoresItsOptions) {
    const Outcome first = Vtx({"generate"});
    ASSERT_EQ(first.status, 0) << first.err;
    ASSERT_EQ(first.out.size(), 9u);
    EXPECT_EQ(first.out.back(), '\n');
    EXPECT_EQ(first.out.find_first_not_of("ABCDEFGHJKMNPQRSTUVWXYZabcdefghjkmnpqrstuvwxyz"
                                          "123456789~!@#$%^&*()_+{}<>?,.\n"),
              std::string::npos)
        << first.out;
    EXPECT_EQ(m_settings.GetGenerateLength(0), 8u);
    EXPECT_EQ(m_settings.GetGeneratePreferences(0), 31u);

    const Outcome digits = Vtx({"generate", "--length", "20", "--preferences", "0xC"});
    ASSERT_EQ(digits.status, 0) << digits.err;
    EXPECT_EQ(digits.out.size(), 21u);
    EXPECT_EQ(digits.out.find_first_not_of("123456789\n"), std::string::npos) << digits.out;
    // The options were stored: the next call draws the same way.
    EXPECT_EQ(m_settings.GetGenerateLength(0), 20u);
    EXPECT_EQ(m_settings.GetGeneratePreferences(0), 12u);
    const Outcome again = Vtx({"generate"});
    EXPECT_EQ(again.out.size(), 21u);
    EXPECT_EQ(again.out.find_first_not_of("123456789\n"), std::string::npos) << again.out;

    const Outcome special = Vtx({"generate", "--preferences", "16", "--special", "x y"});
    ASSERT_EQ(special.status, 0) << special.err;
    EXPECT_EQ(special.out.find_first_not_of("x y\n"), std::string::npos) << special.out;
    EXPECT_EQ(m_settings.GetGenerateSpecial(u""), u"x y");
}

TEST_F(VtxTest, GenerateRefusesBadLengthsAndEmptyPools) {
    const Outcome tooShort = Vtx({"generate", "--length", "3"});
    EXPECT_EQ(tooShort.status, 1);
    EXPECT_NE(tooShort.err.find("Please enter an integer between 4 and 512."), std::string::npos)
        << tooShort.err;
    EXPECT_TRUE(tooShort.out.empty());
    const Outcome junk = Vtx({"generate", "--length", "ten"});
    EXPECT_EQ(junk.status, 1);
    EXPECT_NE(junk.err.find("Please enter an integer."), std::string::npos) << junk.err;
    // Refused lengths store nothing.
    EXPECT_EQ(m_settings.GetGenerateLength(0), 8u);

    const Outcome empty = Vtx({"generate", "--preferences", "24", "--special", "|"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_TRUE(empty.out.empty());
    EXPECT_FALSE(empty.err.empty());

    EXPECT_EQ(Vtx({"generate", "--colour", "red"}).status, 2);
    EXPECT_EQ(Vtx({"generate", "--preferences", "many"}).status, 2);
    EXPECT_EQ(Vtx({"generate", "--length"}).status, 2);
}

TEST_F(VtxTest, FormScanShowsWhatTheEngineRecognises) {
    auto scan = Vtx({"form", "scan", (test::TestDataFolder() / "pages" / "signup.html").string()});
    ASSERT_EQ(scan.status, 0) << scan.err;
    std::istringstream lines(scan.out);
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "form\t1\tlogin=0\tidentity=1\tfields=8");
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "field\t0\t0\t0\tfirst_name\t20\t2147483647\tfname\tFirst Name:");
    EXPECT_NE(scan.out.find("form\t2\tlogin=1\tidentity=0\tfields=2\n"), std::string::npos);
    EXPECT_NE(scan.out.find("field\t7\t1\t13\tstate\t0\t32768\thst\tState:\n"), std::string::npos);
}

TEST_F(VtxTest, FormFillFillsEveryFormButTheLoginForm) {
    ASSERT_EQ(WithPassword("Secret1", {"put", "identity", "Ann"},
                           "<fname>Ann</fname>\r\n<lname>Lee</lname>\r\n<hphone1>555</hphone1>\r\n"
                           "<hphone2>123-4567</hphone2>\r\n<hst>CA</hst>")
                  .status,
              0);
    auto filled = WithPassword(
        "Secret1", {"form", "fill", (test::TestDataFolder() / "pages" / "signup.html").string(),
                    "--identity", "Ann", "--card", "Work"});
    ASSERT_EQ(filled.status, 0) << filled.err;
    for (const char* expected :
         {"field\t1\t0\tfirst_name\tAnn\t\t1\n", "field\t1\t2\temail\t\t\t0\n",
          "field\t1\t4\tph2\t123\t\t1\n", "field\t1\t5\tph3\t4567\t\t1\n",
          "field\t1\t7\tstate\tCalifornia\t\t1\n", "field\t2\t0\tuser\t\t\t0\n"}) {
        EXPECT_NE(filled.out.find(expected), std::string::npos) << expected << "\n" << filled.out;
    }
    EXPECT_EQ(m_settings.GetIdentityCreditCard(u"Ann"), u"Work");
    EXPECT_NE(WithPassword("Secret1", {"form", "fill", "x.html", "--identity"}).status, 0);
    EXPECT_NE(WithPassword("Secret1", {"form", "fill", "missing.html", "--identity", "Ann"}).status,
              0);
}

// ---- Damaged and foreign files, failures that say why ----------------------------------------

// A FIFO named like a record once made show wait for ever, a link to /dev/zero read without end.
TEST_F(VtxTest, ShowRefusesWhatIsNoRegularFileAtOnce) {
    ASSERT_EQ(WithPassword("Secret1", {"put", "note", "Locker"}, "12-34-56").status, 0);
    const auto folder = m_env.VaultFolder();
    ASSERT_EQ(mkfifo((folder / "Pipe.vxn").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", folder / "Zero.vxn");
    for (const char* name : {"Pipe", "Zero"}) {
        SCOPED_TRACE(name);
        const auto start = std::chrono::steady_clock::now();
        const Outcome shown = WithPassword("Secret1", {"show", "note", name});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
        EXPECT_EQ(shown.status, 1);
        EXPECT_EQ(shown.out, "");
        EXPECT_EQ(shown.err, (folder / (std::string(name) + ".vxn")).string() +
                                 " is not a regular file and cannot be read as a record.\n");
    }
    EXPECT_EQ(Vtx({"list", "notes"}).out, "Locker\n");
}

// A damaged record is named as damaged, shows nothing, and leaves the session and the other
// records alone.
TEST_F(VtxTest, ADamagedRecordSaysSoAndLocksNothing) {
    ASSERT_EQ(WithPassword("Secret1", {"put", "identity", "Ann"}, kIdentityText).status, 0);
    ASSERT_EQ(WithPassword("Secret1", {"put", "identity", "Bob"}, "<fname>Bob</fname>").status, 0);
    const auto ann = m_env.VaultFolder() / "Ann.vxi";
    std::string bytes = test::ReadFileBytes(ann);
    bytes[bytes.size() / 2] ^= 0x01;
    std::filesystem::remove(ann);
    test::WriteFileBytes(ann, bytes);
    m_settings.SetCurrentIdentity(u"Ann");  // the record a new password is checked against

    const Outcome shown = WithPassword("Secret1", {"show", "identity", "Ann"});
    EXPECT_EQ(shown.status, 1);
    EXPECT_EQ(shown.out, "");
    EXPECT_EQ(shown.err, text::ToUtf8(messages::kDamagedFile).replace(0, 2, ann.string()) + "\n");
    EXPECT_EQ(test::ReadFileBytes(ann), bytes);
    const Outcome other = WithPassword("Secret1", {"show", "identity", "Bob"});
    EXPECT_EQ(other.status, 0) << other.err;
    EXPECT_EQ(other.out, "<fname>Bob</fname>");
}

TEST_F(VtxTest, PutIntoAMissingFolderSaysWhy) {
    const auto missing = m_env.Root() / "missing";
    ASSERT_EQ(Vtx({"config", "set", "IdentitiesFolder", missing.string()}).status, 0);
    const Outcome put = WithPassword("Secret1", {"put", "identity", "Ann"}, kIdentityText);
    EXPECT_EQ(put.status, 1);
    EXPECT_EQ(put.err, (missing / "Ann.vxi").string() +
                           "\nCannot find this file.\nPlease verify that the correct path and "
                           "file name are given.\n");
}

TEST_F(VtxTest, RegisterSaysWhyTheRegistryCannotBeWritten) {
    test::WriteFileBytes(m_env.Root() / "plain", "x");
    const auto registry = m_env.Root() / "plain" / "registry";
    test::ScopedEnv unwritable("VELTRIX_REGISTRY", registry.string());
    const Outcome registered = Vtx({"register"});
    EXPECT_EQ(registered.status, 1);
    EXPECT_NE(registered.err.find("the registry in " + registry.string() +
                                  " could not be written (Not a directory)"),
              std::string::npos)
        << registered.err;
}

}  // namespace
}  // namespace veltrix
