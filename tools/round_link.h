#pragma once

#include <string>

#include "session/script.h"

// A recording as a link the web page plays: the page's address with no
// query, then "#round=" and the recording's text (compacted, headings and
// events alone) compressed as raw DEFLATE and written in base64url without
// padding, as the page's own "Share this round" makes it.

// The most the page unpacks; a bigger recording is refused.
constexpr size_t MaxLinkedRecordingBytes = 1 << 20;
// The longest fragment a link may have: the largest recording, stored
// without compression, in base64url.
constexpr size_t MaxLinkFragmentChars = 1400000;

// The link for `script` on the page at `base`; empty, with *error saying
// why, when the page would refuse it.
std::string RoundLink(const std::string& base, const Script& script, std::string* error);

// RFC 4648's URL-safe alphabet, without padding.
std::string Base64Url(const std::string& bytes);

// The recording a link holds, from its fragment after "#round=": checked
// for length and alphabet before it is decoded, and unpacked no further
// than MaxLinkedRecordingBytes. False, with *error saying why, when the page
// would refuse it.
bool UnpackRoundLink(const std::string& fragment, std::string* text, std::string* error);
