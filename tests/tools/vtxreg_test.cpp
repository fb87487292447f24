// vtxreg run as a child process against the isolated registry, which a Registry object in the
// test opens as well.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/process.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/test_environment.h"

namespace veltrix {
namespace {

using platform::Hive;
using platform::Registry;
using platform::RegistryValue;
using platform::ValueType;
using ::testing::HasSubstr;

constexpr Hive kUser = Hive::CurrentUser;
constexpr unsigned kTimeoutMs = 30000;

struct Outcome {
    int status = -1;
    std::string errors;  // what the tool wrote to standard error
};

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Every key below `path` (itself included) with its values, for comparing whole trees.
using Snapshot = std::map<std::u16string, std::vector<std::pair<std::u16string, RegistryValue>>>;

void TakeSnapshot(Registry& registry, Hive hive, const std::u16string& path, Snapshot& out) {
    auto& values = out[text::FoldCase(path)];
    for (auto& value : registry.EnumValues(hive, path)) {
        values.emplace_back(value.name, value.value);
    }
    for (const auto& subkey : registry.EnumKeys(hive, path)) {
        TakeSnapshot(registry, hive, path + u"\\" + subkey, out);
    }
}

Snapshot TakeSnapshot(Registry& registry, Hive hive, const std::u16string& path) {
    Snapshot snapshot;
    TakeSnapshot(registry, hive, path, snapshot);
    return snapshot;
}

// The lines of an exported file: UTF-16LE after a byte-order mark, split at CR LF.
std::vector<std::string> ExportedLines(const std::string& bytes) {
    std::vector<std::string> lines;
    if (bytes.size() < 2 || bytes.substr(0, 2) != "\xFF\xFE") {
        ADD_FAILURE() << "the file does not start with a UTF-16LE byte-order mark";
        return lines;
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2;
    const std::string text = text::ToUtf8(text::FromUtf16Le(std::span(data, bytes.size() - 2)));
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "the file does not end with CR LF";
            break;
        }
        const std::string line = text.substr(start, end - start);
        EXPECT_EQ(line.find('\n'), std::string::npos) << "bare LF in: " << line;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

std::vector<std::uint8_t> Utf16Bytes(std::u16string_view text) {
    return text::ToUtf16Le(text);
}

class VtxregTest : public ::testing::Test {
protected:
    Outcome Run(const std::vector<std::string>& args) {
        const auto errorsFile = env.Root() / "stderr.txt";
        std::string command = ShellQuote((test::ProgramFolder() / "vtxreg").string());
        for (const auto& arg : args) {
            command += " " + ShellQuote(arg);
        }
        command += " 2>" + ShellQuote(errorsFile.string());
        const auto result = platform::RunProcess("/bin/sh", {"-c", command}, kTimeoutMs);
        EXPECT_EQ(result.status, platform::ProcessResult::Status::Exited);
        return {result.exitCode, test::ReadFileBytes(errorsFile)};
    }

    std::string File(const std::string& name) const { return (env.Root() / name).string(); }

    Outcome Import(const std::string& content) {
        const std::string file = File("import.reg");
        test::WriteFileBytes(file, content);
        return Run({"/S", file});
    }

    void Set(const std::u16string& path, const std::u16string& name, const RegistryValue& value) {
        ASSERT_TRUE(registry.SetValue(kUser, path, name, value));
    }

    test::IsolatedEnvironment env;
    Registry registry{env.RegistryFolder()};
};

// ---- Export and import together ----

TEST_F(VtxregTest, RoundTripKeepsEveryValueTypeAndAwkwardText) {
    const std::u16string root = u"Software\\Orvane\\Veltrix";
    std::vector<std::uint8_t> longBinary;
    for (int i = 0; i < 300; ++i) {
        longBinary.push_back(static_cast<std::uint8_t>(i * 7));
    }
    Set(root, u"", RegistryValue::String(u"default text"));
    Set(root, u"Quote \"name\"", RegistryValue::String(u"a \"quoted\" \\ path\\"));
    Set(root, u"Back\\slash", RegistryValue::String(u"c:\\dir\\"));
    Set(root, u"Ünïcode 中", RegistryValue::String(u"ñ 中 \U0001F600"));
    Set(root, u"Empty", RegistryValue::String(u""));
    Set(root, u"Lines", RegistryValue::String(u"one\r\ntwo"));
    Set(root, u"Unterminated", RegistryValue{ValueType::String, {'a', 0, 'b'}});
    Set(root, u"Dword", RegistryValue::Dword(0x7b));
    Set(root, u"Zero", RegistryValue::Dword(0));
    Set(root, u"Max", RegistryValue::Dword(0xFFFFFFFF));
    Set(root, u"ShortDword", RegistryValue{ValueType::Dword, {1, 2}});
    Set(root, u"Binary", RegistryValue::Binary(longBinary));
    Set(root, u"EmptyBinary", RegistryValue::Binary({}));
    Set(root, u"Expand", RegistryValue{ValueType::ExpandString, Utf16Bytes({u"%HOME%\\x\0", 9})});
    Set(root, u"Multi", RegistryValue{ValueType::MultiString, Utf16Bytes({u"a\0b\0\0", 5})});
    Set(root, u"None", RegistryValue{ValueType::None, {1, 2, 3}});
    Set(root, u"Qword", RegistryValue{static_cast<ValueType>(11), {1, 2, 3, 4, 5, 6, 7, 8}});
    Set(root + u"\\Identities\\Ärger", u"CCC", RegistryValue::String(u"12"));
    Set(root + u"\\Key with spaces [x]", u"v", RegistryValue::Dword(1));
    ASSERT_TRUE(registry.CreateKey(kUser, root + u"\\Excluded URLs\\example.com:8080"));
    Set(u"Software\\Orvane\\Other", u"outside", RegistryValue::Dword(9));

    const std::string file = File("export.reg");
    const Outcome exported = Run({"/E", file, "HKEY_CURRENT_USER\\Software\\Orvane\\Veltrix\\"});
    ASSERT_EQ(exported.status, 0) << exported.errors;
    const Snapshot before = TakeSnapshot(registry, kUser, root);
    ASSERT_EQ(before.size(), 6u);

    ASSERT_TRUE(registry.DeleteKeyTree(kUser, root));
    const Outcome imported = Run({"/S", file});
    ASSERT_EQ(imported.status, 0) << imported.errors;
    EXPECT_EQ(TakeSnapshot(registry, kUser, root), before);
    EXPECT_THAT(registry.EnumKeys(kUser, u"Software\\Orvane"),
                ::testing::ElementsAre(u"Other", u"Veltrix"));
}

TEST_F(VtxregTest, ExportWritesKeyThenSortedValuesThenSubkeys) {
    Set(u"Software\\T", u"", RegistryValue::String(u"d"));
    Set(u"Software\\T", u"b", RegistryValue::Binary({0x01, 0xFF}));
    Set(u"Software\\T", u"A", RegistryValue::Dword(123));
    Set(u"Software\\T", u"C \"q\"", RegistryValue::String(u"x\\y"));
    Set(u"Software\\T", u"e", RegistryValue{ValueType::ExpandString, {'%', 0, 0, 0}});
    Set(u"Software\\T\\Sub\\Deeper", u"m", RegistryValue{ValueType::MultiString, {0, 0}});
    ASSERT_TRUE(registry.CreateKey(kUser, u"Software\\T\\Another"));

    const std::string file = File("t.reg");
    ASSERT_EQ(Run({"/E", file, "HKCU\\Software\\T"}).status, 0);
    EXPECT_THAT(
        ExportedLines(test::ReadFileBytes(file)),
        ::testing::ElementsAre(
            "Windows Registry Editor Version 5.00", "", "[HKEY_CURRENT_USER\\Software\\T]",
            "@=\"d\"", "\"A\"=dword:0000007b", "\"b\"=hex:01,ff", "\"C \\\"q\\\"\"=\"x\\\\y\"",
            "\"e\"=hex(2):25,00,00,00", "", "[HKEY_CURRENT_USER\\Software\\T\\Another]", "",
            "[HKEY_CURRENT_USER\\Software\\T\\Sub]", "",
            "[HKEY_CURRENT_USER\\Software\\T\\Sub\\Deeper]", "\"m\"=hex(7):00,00", ""));
}

TEST_F(VtxregTest, LongHexDataIsWrappedWithinEightyColumns) {
    Set(u"Software\\T", u"Blob", RegistryValue::Binary(std::vector<std::uint8_t>(200, 0xAB)));
    const std::string file = File("t.reg");
    ASSERT_EQ(Run({"/E", file, "HKEY_CURRENT_USER\\Software\\T"}).status, 0);
    const auto lines = ExportedLines(test::ReadFileBytes(file));
    ASSERT_GE(lines.size(), 5u);
    EXPECT_TRUE(lines[3].starts_with("\"Blob\"=hex:ab,ab,"));
    std::size_t bytes = 0;
    std::size_t index = 3;
    for (; index < lines.size() && !lines[index].empty(); ++index) {
        const std::string& line = lines[index];
        EXPECT_LE(line.size(), 80u) << line;
        if (index > 3) {
            EXPECT_TRUE(line.starts_with("  ab")) << line;
        }
        const bool continues = line.ends_with("\\");
        EXPECT_EQ(continues, index + 1 < lines.size() && !lines[index + 1].empty()) << line;
        bytes += static_cast<std::size_t>(std::count(line.begin(), line.end(), 'a'));
    }
    EXPECT_GT(index, 5u) << "200 bytes need several lines";
    EXPECT_EQ(bytes, 200u);
}

// ---- Import ----

constexpr const char* kHandWritten =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "; a comment line\n"
    "[HKCU\\Software\\Hand\\Written]\n"
    "@=\"default\"\n"
    "\"Path\"=\"c:\\\\Program Files\\\\\"\n"
    "\"Say \\\"hi\\\"\"=\"caf\xC3\xA9\"\n"
    "\"Count\"=DWORD:0000007B\n"
    "\"Short\"=dword:1f\n"
    "\"Bytes\"=hex:00,01,\\\n"
    "    fe,ff\n"
    "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\n"
    "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,\\\n"
    "  00,00\n"
    "\"Nothing\"=hex:\n"
    "  \"Spaced\" = \"x\"  \n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Hand]\n"
    "\"Machine\"=dword:00000001\n";

void ExpectHandWrittenImported(Registry& registry) {
    const std::u16string key = u"Software\\Hand\\Written";
    auto get = [&](std::u16string_view name) { return registry.GetValue(kUser, key, name); };
    EXPECT_EQ(get(u""), RegistryValue::String(u"default"));
    EXPECT_EQ(get(u"path"), RegistryValue::String(u"c:\\Program Files\\"));
    EXPECT_EQ(get(u"Say \"hi\""), RegistryValue::String(u"café"));
    EXPECT_EQ(get(u"Count"), RegistryValue::Dword(123));
    EXPECT_EQ(get(u"Short"), RegistryValue::Dword(0x1f));
    EXPECT_EQ(get(u"Bytes"), RegistryValue::Binary({0x00, 0x01, 0xFE, 0xFF}));
    EXPECT_EQ(get(u"Expand"),
              (RegistryValue{ValueType::ExpandString, {'%', 0, 'A', 0, '%', 0, 0, 0}}));
    EXPECT_EQ(get(u"Multi"),
              (RegistryValue{ValueType::MultiString, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}}));
    EXPECT_EQ(get(u"Nothing"), RegistryValue::Binary({}));
    EXPECT_EQ(get(u"Spaced"), RegistryValue::String(u"x"));
    EXPECT_EQ(registry.EnumValues(kUser, key).size(), 10u);
    EXPECT_EQ(registry.GetValue(Hive::LocalMachine, u"Software\\Hand", u"Machine"),
              RegistryValue::Dword(1));
}

TEST_F(VtxregTest, ImportsHandWrittenUtf8WithLfLineEnds) {
    const Outcome outcome = Import(kHandWritten);
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    ExpectHandWrittenImported(registry);
}

TEST_F(VtxregTest, ImportsUtf8WithByteOrderMarkAndCrLf) {
    std::string content = "\xEF\xBB\xBF";
    for (const char* c = kHandWritten; *c != '\0'; ++c) {
        content += *c == '\n' ? std::string("\r\n") : std::string(1, *c);
    }
    const Outcome outcome = Import(content);
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    ExpectHandWrittenImported(registry);
}

TEST_F(VtxregTest, ImportDeletesKeyTreesAndValues) {
    Set(u"Software\\T", u"keep", RegistryValue::Dword(1));
    Set(u"Software\\T", u"x", RegistryValue::Dword(2));
    Set(u"Software\\T", u"", RegistryValue::String(u"default"));
    Set(u"Software\\T\\Sub\\Deep", u"v", RegistryValue::Dword(3));
    Set(u"Software\\T\\Subsequent", u"v", RegistryValue::Dword(4));

    const Outcome outcome = Import(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[-HKEY_CURRENT_USER\\Software\\T\\Sub]\r\n\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Never\\There]\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\T]\r\n"
        "\"X\"=-\r\n@=-\r\n\"missing\"=-\r\n");
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_FALSE(registry.KeyExists(kUser, u"Software\\T\\Sub"));
    EXPECT_FALSE(registry.KeyExists(kUser, u"Software\\Never"));
    EXPECT_TRUE(registry.KeyExists(kUser, u"Software\\T\\Subsequent"));
    EXPECT_EQ(registry.GetValue(kUser, u"Software\\T", u"x"), std::nullopt);
    EXPECT_EQ(registry.GetValue(kUser, u"Software\\T", u""), std::nullopt);
    EXPECT_EQ(registry.GetValue(kUser, u"Software\\T", u"keep"), RegistryValue::Dword(1));
}

TEST_F(VtxregTest, LaterLinesOverrideEarlierOnesInFileOrder) {
    const Outcome outcome = Import(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKCU\\Software\\T\\Sub]\n\"v\"=dword:1\n\n"
        "[-HKCU\\Software\\T]\n\n"
        "[HKCU\\Software\\T]\n\"v\"=dword:2\n\"v\"=dword:3\n");
    ASSERT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_FALSE(registry.KeyExists(kUser, u"Software\\T\\Sub"));
    EXPECT_EQ(registry.GetValue(kUser, u"Software\\T", u"v"), RegistryValue::Dword(3));
}

struct MalformedCase {
    const char* what;
    const char* body;  // follows the header line
    int line;
};

TEST_F(VtxregTest, MalformedFilesAreRefusedWithTheLineAndImportNothing) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::string good = "\n[HKCU\\Software\\Good]\n\"ok\"=dword:1\n";  // lines 2-4
    const MalformedCase cases[] = {
        {"unknown line", "garbage", 5},
        {"unknown hive", "[HKEY_USERS\\Software]", 5},
        {"missing bracket", "[HKCU\\Software\\Bad", 5},
        {"root deletion", "[-HKEY_CURRENT_USER]", 5},
        {"bad hex digit", "\"b\"=hex:01,0g", 5},
        {"hex byte too long", "\"b\"=hex:123", 5},
        {"empty hex byte", "\"b\"=hex:01,,02", 5},
        {"bad continued hex", "\"b\"=hex:01,\\\n  zz", 6},
        {"hex past the end", "\"b\"=hex:01,\\", 5},
        {"bad hex type", "\"b\"=hex(zz):00", 5},
        {"bad dword", "\"d\"=dword:123456789", 5},
        {"empty dword", "\"d\"=dword:", 5},
        {"unterminated string", "\"s\"=\"abc", 5},
        {"unterminated name", "\"s=\"abc\"", 5},
        {"unknown escape", "\"s\"=\"c:\\temp\"", 5},
        {"text after string", "\"s\"=\"a\" b", 5},
        {"missing equals", "\"s\" \"a\"", 5},
        {"unknown data", "\"s\"=text", 5},
        {"value after deleted key", "[-HKCU\\Software\\Gone]\n\"v\"=dword:1", 6},
    };
    for (const MalformedCase& malformed : cases) {
        SCOPED_TRACE(malformed.what);
        const Outcome outcome = Import(header + good + malformed.body + "\n");
        EXPECT_EQ(outcome.status, 1);
        EXPECT_THAT(outcome.errors, HasSubstr("line " + std::to_string(malformed.line) + ":"));
        EXPECT_FALSE(registry.KeyExists(kUser, u"Software\\Good"));
    }
}

TEST_F(VtxregTest, FilesWithoutTheHeaderAreRefused) {
    const char* bodies[] = {
        "",
        "REGEDIT4\n\n[HKCU\\Software\\Good]\n",
        "Windows Registry Editor Version 4.00\n\n[HKCU\\Software\\Good]\n",
        "\n[HKCU\\Software\\Good]\n",
    };
    for (const char* body : bodies) {
        SCOPED_TRACE(body);
        const Outcome outcome = Import(body);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_THAT(outcome.errors, HasSubstr("line 1:"));
        EXPECT_FALSE(registry.KeyExists(kUser, u"Software\\Good"));
    }
}

TEST_F(VtxregTest, ValueOutsideAnySectionIsRefused) {
    const Outcome outcome = Import("Windows Registry Editor Version 5.00\n\n\"v\"=dword:1\n");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_THAT(outcome.errors, HasSubstr("line 3:"));
}

TEST_F(VtxregTest, ReadOnlyMachineHivesRefuseTheWholeImport) {
    test::ScopedEnv readOnly("VELTRIX_REGISTRY_MACHINE_READONLY", "1");
    const Outcome outcome = Import(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKCU\\Software\\User]\n\"v\"=dword:1\n\n"
        "[HKLM\\Software\\Machine]\n\"v\"=dword:1\n");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_THAT(outcome.errors, HasSubstr("read-only"));
    EXPECT_FALSE(registry.KeyExists(kUser, u"Software\\User"));
    EXPECT_FALSE(registry.KeyExists(Hive::LocalMachine, u"Software\\Machine"));
}

TEST_F(VtxregTest, MissingOrUnreadableFileFails) {
    const Outcome missing = Run({"/S", File("no-such.reg")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.errors, HasSubstr("no-such.reg"));
    EXPECT_EQ(Run({"/S", env.Root().string()}).status, 1);
}

// ---- Export failures and arguments ----

TEST_F(VtxregTest, ExportOfMissingKeyFailsWithoutWritingAFile) {
    const std::string file = File("missing.reg");
    const Outcome missing = Run({"/E", file, "HKEY_CURRENT_USER\\Software\\Missing"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.errors, HasSubstr("Software\\Missing"));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(Run({"/E", file, "HKEY_NOWHERE\\Software"}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(VtxregTest, ExportToAnUnwritablePathFails) {
    Set(u"Software\\T", u"v", RegistryValue::Dword(1));
    const Outcome outcome = Run({"/E", File("no-folder/t.reg"), "HKCU\\Software\\T"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_THAT(outcome.errors, HasSubstr("t.reg"));
}

TEST_F(VtxregTest, SwitchesAcceptDashAndLowerCase) {
    Set(u"Software\\T", u"v", RegistryValue::Dword(7));
    const std::string file = File("t.reg");
    ASSERT_EQ(Run({"-e", file, "hkcu\\software\\t"}).status, 0);
    ASSERT_TRUE(registry.DeleteKeyTree(kUser, u"Software\\T"));
    ASSERT_EQ(Run({"/s", file}).status, 0);
    EXPECT_EQ(registry.GetValue(kUser, u"Software\\T", u"v"), RegistryValue::Dword(7));
    EXPECT_EQ(Run({"-S", file}).status, 0);
    EXPECT_EQ(Run({"/e", file, "HKCU\\Software\\T"}).status, 0);
}

TEST_F(VtxregTest, BadArgumentsPrintUsage) {
    const std::vector<std::vector<std::string>> argumentLists = {
        {},
        {"/X", "f"},
        {"/E", File("f.reg")},
        {"/S"},
        {"/S", "a", "b"},
        {"E", "f", "k"},
        {"/Ex", "f", "k"},
    };
    for (const auto& args : argumentLists) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const Outcome outcome = Run(args);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_THAT(outcome.errors, HasSubstr("usage"));
    }
}

}  // namespace
}  // namespace veltrix
