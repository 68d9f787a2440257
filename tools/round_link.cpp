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

int Base64UrlValue(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    return c == '-' ? 62 : c == '_' ? 63 : -1;
}

bool FromBase64Url(const std::string& text, std::string* bytes)
{
    if (text.size() % 4 == 1)
        return false;
    unsigned bits = 0;
    int held = 0;
    for (char c : text) {
        int value = Base64UrlValue(c);
        if (value < 0)
            return false;
        bits = bits << 6 | unsigned(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            bytes->push_back(char(bits >> held & 0xff));
        }
    }
    return true;
}

// Raw DEFLATE unpacked a slice at a time, stopping once more than `most`
// bytes have come out: a few bytes of a link can unpack to gigabytes.
std::string Inflate(const std::string& packed, size_t most, std::string* text)
{
    z_stream stream = {};
    if (inflateInit2(&stream, -15) != Z_OK)
        return "zlib could not start";
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = uInt(packed.size());
    char slice[65536];
    int result = Z_OK;
    while (result == Z_OK && text->size() <= most) {
        stream.next_out = reinterpret_cast<Bytef*>(slice);
        stream.avail_out = sizeof slice;
        result = inflate(&stream, Z_NO_FLUSH);
        text->append(slice, sizeof slice - stream.avail_out);
    }
    bool whole = result == Z_STREAM_END && stream.avail_in == 0;
    inflateEnd(&stream);
    if (text->size() > most)
        return "is larger than " + std::to_string(most >> 20) + " MB unpacked";
    return whole ? "" : "does not unpack: it is cut short, or not DEFLATE";
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
    if (text.empty()) {
        *error = "the recording holds nothing to play, and the page plays no empty round";
        return "";
    }
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

bool UnpackRoundLink(const std::string& fragment, std::string* text, std::string* error)
{
    std::string packed;
    text->clear();
    if (fragment.empty())
        *error = "the link holds no round";
    else if (fragment.size() > MaxLinkFragmentChars)
        *error = "the link's round is longer than any recording's (" + std::to_string(MaxLinkFragmentChars) +
                 " characters)";
    else if (!FromBase64Url(fragment, &packed))
        *error = "the link's round is not base64url";
    else if (std::string problem = Inflate(packed, MaxLinkedRecordingBytes, text); !problem.empty())
        *error = "the link's round " + problem;
    else if (text->empty())
        *error = "the link's round is empty";
    else
        return true;
    text->clear();
    return false;
}
