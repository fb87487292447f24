#include "core/blowfish_cipher.h"

#include <openssl/evp.h>
#include <openssl/provider.h>

#include <climits>
#include <memory>
#include <mutex>

namespace veltrix::blowfish {
namespace {

// OpenSSL 3 offers Blowfish only in its legacy provider. Loading a provider explicitly stops the
// default one from loading implicitly, so both are loaded together. They are released at exit;
// being created after OpenSSL initialised itself, this object is destroyed before OpenSSL's own
// clean-up runs, which then tears the providers down.
class Providers {
public:
    Providers()
        : m_legacy(OSSL_PROVIDER_load(nullptr, "legacy")),
          m_default(OSSL_PROVIDER_load(nullptr, "default")) {}
    ~Providers() {
        for (OSSL_PROVIDER* provider : {m_default, m_legacy}) {
            if (provider != nullptr) {
                OSSL_PROVIDER_unload(provider);
            }
        }
    }
    Providers(const Providers&) = delete;
    Providers& operator=(const Providers&) = delete;
    bool Loaded() const { return m_legacy != nullptr && m_default != nullptr; }

private:
    OSSL_PROVIDER* m_legacy;
    OSSL_PROVIDER* m_default;
};

struct ContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using Context = std::unique_ptr<EVP_CIPHER_CTX, ContextDeleter>;

enum class Direction : int { Decrypt = 0, Encrypt = 1 };
enum class Padding { Standard, None };

bool Fits(std::size_t size) {
    return size <= static_cast<std::size_t>(INT_MAX) - 2 * kBlockSize;
}

// One cipher context: the cipher and direction, the key length, then key and IV; one update over
// the whole input and the final call appending the padding block (or checking it).
std::optional<std::vector<std::uint8_t>> Run(Direction direction,
                                             std::span<const std::uint8_t> input,
                                             std::span<const std::uint8_t> key, const Iv& iv,
                                             Padding padding = Padding::Standard) {
    if (key.empty() || !Fits(key.size()) || !Fits(input.size()) || !EnsureAvailable()) {
        return std::nullopt;
    }
    Context context(EVP_CIPHER_CTX_new());
    if (!context) {
        return std::nullopt;
    }
    const int enc = static_cast<int>(direction);
    if (EVP_CipherInit(context.get(), EVP_bf_cbc(), nullptr, nullptr, enc) != 1 ||
        EVP_CIPHER_CTX_set_key_length(context.get(), static_cast<int>(key.size())) != 1 ||
        EVP_CipherInit(context.get(), nullptr, key.data(), iv.data(), enc) != 1 ||
        (padding == Padding::None && EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1)) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> output(input.size() + 2 * kBlockSize);
    int updated = 0;
    int finished = 0;
    const int inputLength = static_cast<int>(input.size());
    bool ok;
    if (direction == Direction::Encrypt) {
        ok = EVP_EncryptUpdate(context.get(), output.data(), &updated, input.data(), inputLength) ==
                 1 &&
             EVP_EncryptFinal(context.get(), output.data() + updated, &finished) == 1;
    } else {
        ok = EVP_DecryptUpdate(context.get(), output.data(), &updated, input.data(), inputLength) ==
                 1 &&
             EVP_DecryptFinal(context.get(), output.data() + updated, &finished) == 1;
    }
    if (!ok) {
        // A failed decryption may have left plaintext in the buffer.
        OPENSSL_cleanse(output.data(), output.size());
        return std::nullopt;
    }
    output.resize(static_cast<std::size_t>(updated) + static_cast<std::size_t>(finished));
    return output;
}

}  // namespace

bool EnsureAvailable() {
    static std::once_flag once;
    static bool available = false;
    std::call_once(once, [] {
        static const Providers providers;
        available = providers.Loaded();
    });
    return available;
}

std::optional<std::vector<std::uint8_t>> Encrypt(std::span<const std::uint8_t> plain,
                                                 std::span<const std::uint8_t> key, const Iv& iv) {
    return Run(Direction::Encrypt, plain, key, iv);
}

std::optional<std::vector<std::uint8_t>> Decrypt(std::span<const std::uint8_t> cipher,
                                                 std::span<const std::uint8_t> key, const Iv& iv) {
    return Run(Direction::Decrypt, cipher, key, iv);
}

std::optional<std::vector<std::uint8_t>> DecryptBlocks(std::span<const std::uint8_t> cipher,
                                                       std::span<const std::uint8_t> key,
                                                       const Iv& iv) {
    if (cipher.size() % kBlockSize != 0) {
        return std::nullopt;
    }
    return Run(Direction::Decrypt, cipher, key, iv, Padding::None);
}

}  // namespace veltrix::blowfish
