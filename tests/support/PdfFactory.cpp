#include "support/PdfFactory.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include "xmp/XmpWriter.h"

namespace plenvo::test {
namespace {


std::string StreamObject(const std::string& extraKeys, const std::string& data) {
    return "<< /Length " + std::to_string(data.size()) + extraKeys + " >>\nstream\n" + data +
           "\nendstream";
}

std::string MetadataObject(const PdfSpec& spec) {
    const std::string keys = " /Type /Metadata /Subtype /XML";
    switch (spec.metadata) {
        case MetadataKind::kNone:
            return {};
        case MetadataKind::kStream:
            return StreamObject(keys, spec.packet);
        case MetadataKind::kFlateStream:
            return StreamObject(keys + " /Filter /FlateDecode", Deflate(spec.packet));
        case MetadataKind::kDictionary:
            return "<<" + keys + " >>";
        case MetadataKind::kUnknownFilter:
            return StreamObject(keys + " /Filter /JPXDecode", spec.packet);
        case MetadataKind::kBrokenFlate:
            return StreamObject(keys + " /Filter /FlateDecode", "this is no flate data");
        case MetadataKind::kCutFlate: {
            // The checksum and the last few bytes of compressed data go.
            const std::string deflated = Deflate(spec.packet);
            return StreamObject(keys + " /Filter /FlateDecode",
                                deflated.substr(0, deflated.size() - std::min<std::size_t>(
                                                                        deflated.size(), 8)));
        }
    }
    return {};
}

std::string Rewrite(const std::string& pdf, void (*configure)(QPDFWriter&)) {
    QPDF in;
    in.processMemoryFile("fixture", pdf.data(), pdf.size());
    QPDFWriter writer(in);
    writer.setOutputMemory();
    writer.setStaticID(true);
    configure(writer);
    writer.write();
    const auto buffer = writer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

}  // namespace

std::string Deflate(const std::string& data) {
    Pl_Buffer out("deflated");
    Pl_Flate flate("deflate", &out, Pl_Flate::a_deflate);
    flate.write(reinterpret_cast<const unsigned char*>(data.data()), data.size());
    flate.finish();
    const auto buffer = out.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

std::string MakePdf(const PdfSpec& spec) {
    const std::string content = "BT /F1 24 Tf 72 720 Td (Plenvo test page) Tj ET";
    const std::string metadata = MetadataObject(spec);
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R" + std::string(metadata.empty() ? "" : " /Metadata 7 0 R") +
            " >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R"
        " /Resources << /Font << /F1 5 0 R >> >> >>",
        StreamObject("", content),
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
        "<< /Title (Plenvo fixture) /Producer (plenvo tests) >>",
    };
    if (!metadata.empty()) objects.push_back(metadata);

    std::string out = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::size_t offset : offsets) {
        const std::string number = std::to_string(offset);
        out += std::string(10 - number.size(), '0') + number + " 00000 n \n";
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R /Info 6 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

std::string WithObjectStreams(const std::string& pdf) {
    return Rewrite(pdf, [](QPDFWriter& writer) { writer.setObjectStreamMode(qpdf_o_generate); });
}

std::string Encrypted(const std::string& pdf, const std::string& userPassword,
                      const std::string& ownerPassword) {
    // Passwords go through a static, since the writer's configuration is a plain function.
    static std::string user;
    static std::string owner;
    user = userPassword;
    owner = ownerPassword;
    return Rewrite(pdf, [](QPDFWriter& writer) {
        writer.setR6EncryptionParameters(user.c_str(), owner.c_str(), true, true, true, true, true,
                                         true, qpdf_r3p_full, true);
    });
}

std::string WithBrokenXref(const std::string& pdf) {
    const std::size_t at = pdf.rfind("startxref\n");
    if (at == std::string::npos) throw std::invalid_argument("no startxref");
    const std::size_t start = at + 10;
    const std::size_t end = pdf.find('\n', start);
    return pdf.substr(0, start) + "99" + pdf.substr(end);
}

std::string Packet(const std::string& descriptions) {
    const std::string empty = EmptyXmpPacket();
    const std::size_t at = empty.find("</rdf:RDF>");
    return empty.substr(0, at) + descriptions + empty.substr(at);
}

std::string TitleDescription(const std::string& title) {
    return "   <rdf:Description rdf:about=\"\"\n"
           "         xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
           "         xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
           "      <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" +
           title +
           "</rdf:li></rdf:Alt></dc:title>\n"
           "      <xmp:CreateDate>2026-01-01T10:00:00Z</xmp:CreateDate>\n"
           "   </rdf:Description>\n";
}

}  // namespace plenvo::test
