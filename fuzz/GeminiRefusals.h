#pragma once

#include "generative-ai/DecodingError.h"
#include "generative-ai/RPCError.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Json.h"

namespace glimmo::fuzz {

// Runs `decode`, letting through only what the Gemini client may refuse a reply with: the server's
// error, an unreadable candidate, a decoding error, the client's own error (text that is not UTF-8).
// Anything else escaping is a finding.
template <typename Decode>
void refusedOrDecoded(Decode&& decode) {
    try {
        decode();
    } catch (const genai::RPCError&) {
    } catch (const genai::InvalidCandidateError&) {
    } catch (const JSONDecodingError&) {
    } catch (const Error&) {
    }
}

} // namespace glimmo::fuzz
