#pragma once
// Builds ZIP archives in memory for the tests, with zlib, from text of our own; each part can be
// damaged on purpose.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zipfx {

struct Part {
    std::string name;
    std::string data;
    bool deflate = true;
    uint16_t flags = 0;              // general purpose flags (bit 0: encrypted)
    bool badCrc = false;
    int64_t declaredSize = -1;       // uncompressed size written to the headers; -1: the real one
    int64_t localOffsetShift = 0;    // added to the local header offset in the central directory
};

inline void Put16(std::string& s, uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

inline std::string RawDeflate(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

inline std::string Build(const std::vector<Part>& parts, bool zip64Marker = false) {
    std::string zip, central;
    for (const Part& p : parts) {
        const std::string body = p.deflate ? RawDeflate(p.data) : p.data;
        uint32_t crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(p.data.data()), static_cast<uInt>(p.data.size())));
        if (p.badCrc) crc ^= 0x5A5A5A5Au;
        const uint32_t size = p.declaredSize >= 0 ? static_cast<uint32_t>(p.declaredSize)
                                                  : static_cast<uint32_t>(p.data.size());
        const uint32_t offset = static_cast<uint32_t>(zip.size());
        auto common = [&](std::string& s) {
            Put16(s, 20);  // version needed
            Put16(s, p.flags);
            Put16(s, p.deflate ? 8 : 0);
            Put16(s, 0);   // time
            Put16(s, 0x21);  // date
            Put32(s, crc);
            Put32(s, static_cast<uint32_t>(body.size()));
            Put32(s, size);
            Put16(s, static_cast<uint32_t>(p.name.size()));
            Put16(s, 0);   // extra
        };
        Put32(zip, 0x04034b50);
        common(zip);
        zip += p.name;
        zip += body;
        Put32(central, 0x02014b50);
        Put16(central, 20);  // made by (DOS)
        common(central);
        Put16(central, 0);   // comment
        Put16(central, 0);   // disk
        Put16(central, 0);   // internal attributes
        Put32(central, 0);   // external attributes
        Put32(central, static_cast<uint32_t>(static_cast<int64_t>(offset) + p.localOffsetShift));
        central += p.name;
    }
    const uint32_t centralOffset = static_cast<uint32_t>(zip.size());
    zip += central;
    Put32(zip, 0x06054b50);
    Put16(zip, 0);
    Put16(zip, 0);
    Put16(zip, static_cast<uint32_t>(parts.size()));
    Put16(zip, static_cast<uint32_t>(parts.size()));
    Put32(zip, static_cast<uint32_t>(central.size()));
    Put32(zip, zip64Marker ? 0xFFFFFFFFu : centralOffset);
    Put16(zip, 0);
    return zip;
}

// A word-processing document whose one paragraph holds `runs` as separate text runs.
inline std::string WordXml(const std::vector<std::string>& runs) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                      "<w:document xmlns:w=\"urn:x\"><w:body><w:p>";
    for (const auto& r : runs) xml += "<w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">" + r + "</w:t></w:r>";
    return xml + "</w:p></w:body></w:document>";
}

inline std::vector<Part> Docx(const std::vector<std::string>& runs) {
    return {{"[Content_Types].xml", "<Types><Default Extension=\"xml\"/></Types>"},
            {"_rels/.rels", "<Relationships/>"},
            {"word/document.xml", WordXml(runs)}};
}

}  // namespace zipfx
