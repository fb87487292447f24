// Overwrites a secret (a password, a plaintext) when it goes out of scope.
#pragma once

#include <openssl/crypto.h>

namespace veltrix {

template <typename Container>
class ScopedWipe {
public:
    explicit ScopedWipe(Container& secret) : m_secret(secret) {}
    ~ScopedWipe() {
        if (!m_secret.empty()) {
            OPENSSL_cleanse(m_secret.data(), m_secret.size() * sizeof(m_secret[0]));
        }
    }
    ScopedWipe(const ScopedWipe&) = delete;
    ScopedWipe& operator=(const ScopedWipe&) = delete;

private:
    Container& m_secret;
};

}  // namespace veltrix
