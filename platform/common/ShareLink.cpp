#include "platform/common/ShareLink.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <vector>

#include "flightfile/FlightFile.h"

namespace {

constexpr char kMarker[] = "#flight=";
constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

std::string Base64Url(const std::vector<uint8_t>& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t n = (uint32_t{bytes[i]} << 16) | (i + 1 < bytes.size() ? uint32_t{bytes[i + 1]} << 8 : 0) |
                           (i + 2 < bytes.size() ? uint32_t{bytes[i + 2]} : 0);
        out += kDigits[(n >> 18) & 63];
        out += kDigits[(n >> 12) & 63];
        if (i + 1 < bytes.size()) out += kDigits[(n >> 6) & 63];
        if (i + 2 < bytes.size()) out += kDigits[n & 63];
    }
    return out;
}

bool FromBase64Url(const std::string& text, std::vector<uint8_t>& bytes) {
    std::array<int, 256> value{};
    value.fill(-1);
    for (int i = 0; i < 64; ++i) value[static_cast<uint8_t>(kDigits[i])] = i;
    // The standard alphabet's two letters are read too, and padding ignored.
    value['+'] = 62;
    value['/'] = 63;
    uint32_t n = 0;
    int bits = 0;
    for (const char c : text) {
        if (c == '=') break;
        const int v = value[static_cast<uint8_t>(c)];
        if (v < 0) return false;
        n = (n << 6) | static_cast<uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<uint8_t>(n >> bits));
        }
    }
    return bits < 6;  // a lone sixth of a byte is no base64
}

}  // namespace

std::string MakeShareLink(const std::string& flightText, const std::string& pageUrl) {
    uLongf size = compressBound(static_cast<uLong>(flightText.size()));
    std::vector<uint8_t> packed(size);
    if (compress2(packed.data(), &size, reinterpret_cast<const Bytef*>(flightText.data()),
                  static_cast<uLong>(flightText.size()), Z_BEST_COMPRESSION) != Z_OK) {
        return {};
    }
    packed.resize(size);
    const std::string page = pageUrl.substr(0, pageUrl.find('#'));
    return page + kMarker + Base64Url(packed);
}

bool IsShareLink(const std::string& text) { return text.find(kMarker) != std::string::npos; }

bool ReadShareLink(const std::string& link, std::string& flightText, std::string& error) {
    const size_t at = link.find(kMarker);
    const std::string payload = at == std::string::npos ? link : link.substr(at + sizeof kMarker - 1);
    std::vector<uint8_t> packed;
    if (payload.empty() || !FromBase64Url(payload, packed)) {
        error = "the link carries no flight (its #flight= part is not base64url)";
        return false;
    }
    // Unpacked a piece at a time, never past what a flight file may hold.
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        error = "the link cannot be unpacked here";
        return false;
    }
    z.next_in = packed.data();
    z.avail_in = static_cast<uInt>(packed.size());
    std::string out;
    std::array<char, 65536> chunk;
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(chunk.data());
        z.avail_out = static_cast<uInt>(chunk.size());
        status = inflate(&z, Z_NO_FLUSH);
        out.append(chunk.data(), chunk.size() - z.avail_out);
        if (out.size() > flightfile::kMaxFileBytes) {
            inflateEnd(&z);
            error = "the link unpacks to more than a flight file may hold";
            return false;
        }
        if (status == Z_BUF_ERROR && z.avail_in == 0) break;  // cut short
    }
    inflateEnd(&z);
    if (status != Z_STREAM_END) {
        error = "the link's flight is damaged (it does not unpack)";
        return false;
    }
    flightText = std::move(out);
    return true;
}
