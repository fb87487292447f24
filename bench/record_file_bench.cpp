// The cost of an Identity record: its tagged text stored and loaded, the same with the record
// file's codec under a password, and the files written and read, each beside the bare cipher cost
// of the same plaintext, so that what the text and the files add on top of the encryption shows.
#include <benchmark/benchmark.h>
#include <openssl/rand.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "core/blowfish_cipher.h"
#include "core/identity.h"
#include "core/password_source.h"
#include "core/record_io.h"
#include "core/record_text.h"
#include "core/tagged_text.h"
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

CIdentity BenchIdentity() {
    CIdentity identity;
    for (std::size_t i = 0; i < kIdentityKeyNames.size(); ++i) {
        identity.Set(static_cast<IdentityKey>(i),
                     u"value of " + std::u16string(kIdentityKeyNames[i]));
    }
    for (int n = 1; n <= 3; ++n) {
        CCreditCard card;
        for (std::size_t i = 0; i < kCardKeyNames.size(); ++i) {
            card.Set(static_cast<CardKey>(i),
                     std::u16string(kCardKeyNames[i]) + u" " + text::FromInt(n));
        }
        identity.AddCreditCard(std::move(card));
    }
    for (int n = 1; n <= 2; ++n) {
        CBankAccount account;
        for (std::size_t i = 0; i < kAccountKeyNames.size(); ++i) {
            account.Set(static_cast<AccountKey>(i),
                        std::u16string(kAccountKeyNames[i]) + u" " + text::FromInt(n));
        }
        identity.AddBankAccount(std::move(account));
    }
    return identity;
}

// The plaintext a record file of this Identity encrypts: header, password and payload.
std::vector<std::uint8_t> PlaintextOf(const CIdentity& identity) {
    const std::vector<std::uint8_t> payload = EncodePayload(IdentityToText(identity));
    const std::size_t prefix = 8 + 2 * kPassword.size();
    std::vector<std::uint8_t> plain(prefix + payload.size(), 0);
    std::copy(payload.begin(), payload.end(), plain.begin() + static_cast<std::ptrdiff_t>(prefix));
    return plain;
}

// A record round trip in memory: the Identity stored to its tagged text and payload, and loaded
// back from them.
void BM_IdentityTextRoundTrip(benchmark::State& state) {
    const CIdentity identity = BenchIdentity();
    for (auto _ : state) {
        const std::vector<std::uint8_t> payload = EncodePayload(IdentityToText(identity));
        const CIdentity loaded = IdentityFromText(DecodePayload(payload));
        benchmark::DoNotOptimize(loaded.CreditCardCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(PlaintextOf(identity).size()));
}
BENCHMARK(BM_IdentityTextRoundTrip);

// The same with the record file's codec: text to file bytes under the password and back.
void BM_IdentityRecordRoundTrip(benchmark::State& state) {
    const CIdentity identity = BenchIdentity();
    for (auto _ : state) {
        auto file = EncodeRecordFile(IdentityToText(identity), kPassword);
        auto text = file ? DecodeRecordFile(*file, kPassword) : Fail(CodecError::WrongPassword);
        if (!text) {
            state.SkipWithError("codec failed");
            break;
        }
        const CIdentity loaded = IdentityFromText(*text);
        benchmark::DoNotOptimize(loaded.CreditCardCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(PlaintextOf(identity).size()));
}
BENCHMARK(BM_IdentityRecordRoundTrip);

// The bare cipher: the same plaintext encrypted and decrypted.
void BM_CipherOnly(benchmark::State& state) {
    const std::vector<std::uint8_t> plain = PlaintextOf(BenchIdentity());
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

// Through the files: the write includes flushing the file to the disk.
void BM_IdentityWriteRead(benchmark::State& state) {
    FixedPasswordSource source;
    SetPasswordSource(&source);
    BenchFolder folder;
    const std::u16string path = text::FromUtf8((folder.Path() / "Bench.vxi").string());
    const CIdentity identity = BenchIdentity();
    for (auto _ : state) {
        const bool ok = WriteIdentity(path, identity).HasValue() && ReadIdentity(path).HasValue();
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

void BM_IdentityWrite(benchmark::State& state) {
    FixedPasswordSource source;
    SetPasswordSource(&source);
    BenchFolder folder;
    const std::u16string path = text::FromUtf8((folder.Path() / "Bench.vxi").string());
    const CIdentity identity = BenchIdentity();
    for (auto _ : state) {
        benchmark::DoNotOptimize(WriteIdentity(path, identity).HasValue());
    }
    SetPasswordSource(nullptr);
}
BENCHMARK(BM_IdentityWrite);

void BM_IdentityRead(benchmark::State& state) {
    FixedPasswordSource source;
    SetPasswordSource(&source);
    BenchFolder folder;
    const std::u16string path = text::FromUtf8((folder.Path() / "Bench.vxi").string());
    if (!WriteIdentity(path, BenchIdentity())) {
        state.SkipWithError("write failed");
    }
    for (auto _ : state) {
        auto read = ReadIdentity(path);
        benchmark::DoNotOptimize(read.HasValue());
    }
    SetPasswordSource(nullptr);
}
BENCHMARK(BM_IdentityRead);

}  // namespace
}  // namespace veltrix
