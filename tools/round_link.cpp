#include "tools/round_link.h"

#include <zlib.h>

namespace {

// Raw DEFLATE, no zlib header or trailer: what CompressionStream('deflate-raw') reads.
bool Deflate(const std::string& text, std::string* out)
{
    z_stream stream = {};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    out->resize(deflateBound(&stream, uLong(text.size())));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = uInt(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out->data());
    stream.avail_out = uInt(out->size());
    int result = deflate(&stream, Z_FINISH);
    out->resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END;
}

} // namespace

std::string Base64Url(const std::string& bytes)
{
    static const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string text;
    unsigned bits = 0;
    int held = 0;
    for (unsigned char byte : bytes) {
        bits = bits << 8 | byte;
        held += 8;
        while (held >= 6) {
            held -= 6;
            text += Alphabet[bits >> held & 63];
        }
    }
    if (held > 0)
        text += Alphabet[bits << (6 - held) & 63];
    return text;
}

std::string RoundLink(const std::string& base, const Script& script, std::string* error)
{
    std::string text = FormatScript(CompactScript(script));
    if (text.size() > MaxLinkedRecordingBytes) {
        *error = "the recording is " + std::to_string(text.size()) + " bytes as a link, and the page plays at most " +
                 std::to_string(MaxLinkedRecordingBytes);
        return "";
    }
    std::string compressed;
    if (!Deflate(text, &compressed)) {
        *error = "zlib could not compress the recording";
        return "";
    }
    return base.substr(0, base.find_first_of("?#")) + "#round=" + Base64Url(compressed);
}
