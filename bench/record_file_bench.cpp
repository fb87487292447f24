// The cost of writing and reading an Identity record file, beside the bare cipher cost of the
// same plaintext, so that what file handling adds on top of the encryption shows.
#include <benchmark/benchmark.h>
#include <openssl/rand.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "core/blowfish_cipher.h"
#include "core/identity.h"
#include "core/password_source.h"
#include "platform/text.h"

namespace veltrix {
namespace {

constexpr std::u16string_view kPassword = u"Bench password 1";

class FixedPasswordSource : public IPasswordSource {
public:
    bool GetPassword(std::u16string& password) override {
        password = kPassword;
        return true;
    }
    bool EndSession() override { return true; }
};

using bench::BenchFolder;

void FillIdentity(CIdentity& identity) {
    for (std::u16string_view key : kIdentityKeys) {
        identity.SetField(key, u"value of " + std::u16string(key));
    }
    for (int i = 1; i <= 3; ++i) {
        CCreditCard card;
        for (std::u16string_view key : kCreditCardKeys) {
            card.SetField(key, std::u16string(key) + u" " + text::FromInt(i));
        }
        identity.AddCreditCard(std::move(card));
    }
    for (int i = 1; i <= 2; ++i) {
        CBankAccount account;
        for (std::u16string_view key : kBankAccountKeys) {
            account.SetField(key, std::u16string(key) + u" " + text::FromInt(i));
        }
        identity.AddBankAccount(std::move(account));
    }
}

// The plaintext a record file of this Identity encrypts: header, password and payload.
std::vector<std::uint8_t> PlaintextOf(CIdentity& identity, const std::u16string& path) {
    identity.Write(path, NO_PASSWORD);
    std::string bytes;
    {
        std::FILE* file = std::fopen(text::ToUtf8(path).c_str(), "rb");
        char chunk[4096];
        for (std::size_t n; file && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
            bytes.append(chunk, n);
        }
        if (file) {
            std::fclose(file);
        }
    }
    std::vector<std::uint8_t> plain(8 + 2 * kPassword.size(), 0);
    plain.insert(plain.end(), bytes.begin(), bytes.end());
    return plain;
}

void BM_IdentityWriteRead(benchmark::State& state) {
    FixedPasswordSource source;
    SetPasswordSource(&source);
    BenchFolder folder;
    const std::u16string path = text::FromUtf8((folder.Path() / "Bench.vxi").string());
    CIdentity identity;
    FillIdentity(identity);
    for (auto _ : state) {
        bool ok = identity.Write(path);
        CIdentity read(path);
        ok = ok && read.GetReadStatus() == FileStatus::Success;
        benchmark::DoNotOptimize(ok);
        if (!ok) {
            state.SkipWithError("write or read failed");
            break;
        }
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations()) *
        static_cast<std::int64_t>(std::filesystem::file_size(folder.Path() / "Bench.vxi")));
    SetPasswordSource(nullptr);
}
BENCHMARK(BM_IdentityWriteRead);

// The two halves alone: the write includes flushing the file to the disk.
void BM_IdentityWrite(benchmark::State& state) {
    FixedPasswordSource source;
    SetPasswordSource(&source);
    BenchFolder folder;
    const std::u16string path = text::FromUtf8((folder.Path() / "Bench.vxi").string());
    CIdentity identity;
    FillIdentity(identity);
    for (auto _ : state) {
        benchmark::DoNotOptimize(identity.Write(path));
    }
    SetPasswordSource(nullptr);
}
BENCHMARK(BM_IdentityWrite);

void BM_IdentityRead(benchmark::State& state) {
    FixedPasswordSource source;
    SetPasswordSource(&source);
    BenchFolder folder;
    const std::u16string path = text::FromUtf8((folder.Path() / "Bench.vxi").string());
    CIdentity identity;
    FillIdentity(identity);
    identity.Write(path);
    for (auto _ : state) {
        CIdentity read(path);
        benchmark::DoNotOptimize(read.CreditCardCount());
    }
    SetPasswordSource(nullptr);
}
BENCHMARK(BM_IdentityRead);

void BM_CipherOnly(benchmark::State& state) {
    BenchFolder folder;
    CIdentity identity;
    FillIdentity(identity);
    const std::vector<std::uint8_t> plain =
        PlaintextOf(identity, text::FromUtf8((folder.Path() / "Plain.vxi").string()));
    const std::string key = text::ToAnsi(kPassword);
    const std::span<const std::uint8_t> keyBytes(reinterpret_cast<const std::uint8_t*>(key.data()),
                                                 key.size());
    blowfish::Iv iv{};
    RAND_bytes(iv.data(), static_cast<int>(iv.size()));
    for (auto _ : state) {
        auto cipher = blowfish::Encrypt(plain, keyBytes, iv);
        auto back = cipher ? blowfish::Decrypt(*cipher, keyBytes, iv) : std::nullopt;
        benchmark::DoNotOptimize(back);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(plain.size()));
}
BENCHMARK(BM_CipherOnly);

}  // namespace
}  // namespace veltrix
