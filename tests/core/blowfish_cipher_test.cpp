#include "core/blowfish_cipher.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_environment.h"

namespace veltrix {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Hex(const std::string& hex) {
    std::vector<unsigned char> bytes = test::FromHex(hex);
    return Bytes(bytes.begin(), bytes.end());
}

blowfish::Iv IvFromHex(const std::string& hex) {
    Bytes bytes = Hex(hex);
    blowfish::Iv iv{};
    std::copy_n(bytes.begin(), iv.size(), iv.begin());
    return iv;
}

std::string ToHex(const Bytes& bytes) {
    return test::ToHex({bytes.begin(), bytes.end()});
}

// ---- Published vectors -----------------------------------------------------------------------

// The classic CBC vector: "7654321 Now is the time for " and its terminating zero, padded with
// zeros to 32 bytes. The published ciphertext has no padding, so ours must begin with it and add
// exactly one padding block.
TEST(BlowfishPublishedVectors, ClassicCbcVectorWithPaddingBlock) {
    const Bytes key = Hex("0123456789abcdeff0e1d2c3b4a59687");
    const blowfish::Iv iv = IvFromHex("fedcba9876543210");
    const Bytes plain = Hex("37363534333231204e6f77206973207468652074696d6520666f722000000000");
    const std::string published =
        "6b77b4d63006dee605b156e27403979358deb9e7154616d959f1652bd5ff92cc";

    auto cipher = blowfish::Encrypt(plain, key, iv);
    ASSERT_TRUE(cipher.has_value());
    ASSERT_EQ(cipher->size(), plain.size() + blowfish::kBlockSize);
    EXPECT_EQ(ToHex(Bytes(cipher->begin(), cipher->begin() + 32)), published);

    auto decrypted = blowfish::Decrypt(*cipher, key, iv);
    ASSERT_TRUE(decrypted.has_value());
    EXPECT_EQ(*decrypted, plain);
}

// Single-block vectors of the cipher itself: with a zero IV the first CBC block is the plain
// block cipher output.
TEST(BlowfishPublishedVectors, SingleBlockVectorsThroughZeroIv) {
    struct Vector {
        const char* key;
        const char* plain;
        const char* cipher;
    };
    const Vector vectors[] = {
        {"0000000000000000", "0000000000000000", "4ef997456198dd78"},
        {"ffffffffffffffff", "ffffffffffffffff", "51866fd5b85ecb8a"},
        {"3000000000000000", "1000000000000001", "7d856f9a613063f2"},
        {"1111111111111111", "1111111111111111", "2466dd878b963c9d"},
        {"0123456789abcdef", "1111111111111111", "61f9c3802281b096"},
        {"fedcba9876543210", "0123456789abcdef", "0aceab0fc6a0a28d"},
    };
    const blowfish::Iv zero{};
    for (const Vector& v : vectors) {
        SCOPED_TRACE(v.key);
        auto cipher = blowfish::Encrypt(Hex(v.plain), Hex(v.key), zero);
        ASSERT_TRUE(cipher.has_value());
        EXPECT_EQ(ToHex(Bytes(cipher->begin(), cipher->begin() + 8)), v.cipher);
    }
}

// The variable key-length vectors: prefixes of one key, 1 to 24 bytes, over one block.
TEST(BlowfishPublishedVectors, VariableKeyLengthVectors) {
    const Bytes fullKey = Hex("f0e1d2c3b4a5968778695a4b3c2d1e0f0011223344556677");
    const Bytes plain = Hex("fedcba9876543210");
    const char* expected[] = {
        "f9ad597c49db005e", "e91d21c1d961a6d6", "e9c2b70a1bc65cf3", "be1e639408640f05",
        "b39e44481bdb1e6e", "9457aa83b1928c0d", "8bb77032f960629d", "e87a244e2cc85e82",
        "15750e7a4f4ec577", "122ba70b3ab64ae0", "3a833c9affc537f6", "9409da87a90f6bf2",
        "884f80625060b8b4", "1f85031c19e11968", "79d9373a714ca34f", "93142887ee3be15c",
        "03429e838ce2d14b", "a4299e27469ff67b", "afd5aed1c1bc96a8", "10851c0e3858da9f",
        "e6f51ed79b9db21f", "64a6e14afd36b46f", "80c7d7d45a5479ad", "05044b62fa52d080",
    };
    const blowfish::Iv zero{};
    for (std::size_t length = 1; length <= fullKey.size(); ++length) {
        SCOPED_TRACE(length);
        Bytes key(fullKey.begin(), fullKey.begin() + static_cast<std::ptrdiff_t>(length));
        auto cipher = blowfish::Encrypt(plain, key, zero);
        ASSERT_TRUE(cipher.has_value());
        EXPECT_EQ(ToHex(Bytes(cipher->begin(), cipher->begin() + 8)), expected[length - 1]);
    }
}

// ---- Independent vectors from the test data (key lengths 4 to 56, plaintexts 0 to 100) ------

struct DataVector {
    int line;
    Bytes key;
    blowfish::Iv iv;
    Bytes plain;
    Bytes cipher;
};

std::vector<DataVector> LoadDataVectors() {
    std::ifstream in(test::TestDataFolder() / "blowfish-cbc-vectors.txt");
    std::vector<DataVector> vectors;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string key, iv, plain, cipher;
        fields >> key >> iv >> plain >> cipher;
        vectors.push_back({number, Hex(key), IvFromHex(iv), Hex(plain), Hex(cipher)});
    }
    return vectors;
}

TEST(BlowfishDataVectors, EveryVectorEncryptsAndDecrypts) {
    const std::vector<DataVector> vectors = LoadDataVectors();
    ASSERT_FALSE(vectors.empty());
    for (const DataVector& v : vectors) {
        SCOPED_TRACE("line " + std::to_string(v.line));
        auto cipher = blowfish::Encrypt(v.plain, v.key, v.iv);
        ASSERT_TRUE(cipher.has_value());
        EXPECT_EQ(ToHex(*cipher), ToHex(v.cipher));
        auto plain = blowfish::Decrypt(v.cipher, v.key, v.iv);
        ASSERT_TRUE(plain.has_value());
        EXPECT_EQ(ToHex(*plain), ToHex(v.plain));
    }
}

// ---- Behaviour ------------------------------------------------------------------------------

class BlowfishBehaviour : public ::testing::Test {
protected:
    const Bytes key = Hex("536563726574");  // "Secret"
    const blowfish::Iv iv = IvFromHex("0001020304050607");
};

TEST_F(BlowfishBehaviour, OutputIsPaddedToTheNextWholeBlock) {
    for (std::size_t length = 0; length <= 24; ++length) {
        SCOPED_TRACE(length);
        const Bytes plain(length, 0x5A);
        auto cipher = blowfish::Encrypt(plain, key, iv);
        ASSERT_TRUE(cipher.has_value());
        EXPECT_EQ(cipher->size(), (length / 8 + 1) * 8);
        auto back = blowfish::Decrypt(*cipher, key, iv);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(*back, plain);
    }
}

TEST_F(BlowfishBehaviour, EmptyKeyIsRejectedBothWays) {
    EXPECT_FALSE(blowfish::Encrypt(Hex("00"), {}, iv).has_value());
    auto cipher = blowfish::Encrypt(Hex("00"), key, iv);
    ASSERT_TRUE(cipher.has_value());
    EXPECT_FALSE(blowfish::Decrypt(*cipher, {}, iv).has_value());
}

TEST_F(BlowfishBehaviour, InputThatIsNotWholeBlocksDoesNotDecrypt) {
    auto cipher = blowfish::Encrypt(Bytes(20, 1), key, iv);
    ASSERT_TRUE(cipher.has_value());
    EXPECT_FALSE(blowfish::Decrypt({}, key, iv).has_value());
    EXPECT_FALSE(blowfish::Decrypt(std::span(*cipher).first(7), key, iv).has_value());
    EXPECT_FALSE(
        blowfish::Decrypt(std::span(*cipher).first(cipher->size() - 3), key, iv).has_value());
}

TEST_F(BlowfishBehaviour, WrongKeyFailsThePaddingCheck) {
    auto cipher = blowfish::Encrypt(Bytes(16, 0x41), key, iv);
    ASSERT_TRUE(cipher.has_value());
    EXPECT_FALSE(blowfish::Decrypt(*cipher, Hex("736563726574"), iv).has_value());  // "secret"
}

TEST_F(BlowfishBehaviour, IvChangesTheCiphertextButNotTheRoundTrip) {
    const Bytes plain(16, 0x41);
    auto first = blowfish::Encrypt(plain, key, iv);
    auto second = blowfish::Encrypt(plain, key, IvFromHex("0001020304050608"));
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    // CBC: identical plain blocks give different cipher blocks.
    EXPECT_NE(Bytes(first->begin(), first->begin() + 8),
              Bytes(first->begin() + 8, first->begin() + 16));
}

// Master passwords of up to 254 characters make keys longer than the cipher's nominal 56 bytes;
// they must still work both ways.
TEST_F(BlowfishBehaviour, LongKeysRoundTrip) {
    const Bytes longKey(254, 0x61);
    const Bytes plain = Hex("000102030405060708090a");
    auto cipher = blowfish::Encrypt(plain, longKey, iv);
    ASSERT_TRUE(cipher.has_value());
    auto back = blowfish::Decrypt(*cipher, longKey, iv);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, plain);
}

TEST_F(BlowfishBehaviour, ConcurrentUseGivesTheSameResults) {
    const Bytes plain(64, 0x33);
    auto expected = blowfish::Encrypt(plain, key, iv);
    ASSERT_TRUE(expected.has_value());
    std::vector<int> matches(4, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < matches.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                auto cipher = blowfish::Encrypt(plain, key, iv);
                matches[t] += cipher && *cipher == *expected ? 1 : 0;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (int count : matches) {
        EXPECT_EQ(count, 50);
    }
}

}  // namespace
}  // namespace veltrix
