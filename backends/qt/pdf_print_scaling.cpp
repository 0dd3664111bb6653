// QPdfWriter (Qt 6.4) offers the title, creator, resolution, PDF version, XMP metadata and
// attachments, but no viewer preferences, so the catalogue entry is added to its finished
// file with libqpdf.
#include "backends/qt/pdf_print_scaling.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>
#include <stdexcept>

namespace veltrane {

std::optional<std::string> with_print_scaling_none(std::string_view pdf) {
  try {
    QPDF document;
    document.setSuppressWarnings(true);
    document.processMemoryFile("page", pdf.data(), pdf.size());
    QPDFObjectHandle preferences = QPDFObjectHandle::newDictionary();
    preferences.replaceKey("/PrintScaling", QPDFObjectHandle::newName("/None"));
    document.getRoot().replaceKey("/ViewerPreferences", preferences);

    QPDFWriter writer(document);
    writer.setOutputMemory();
    // Streams pass through as Qt wrote them: same page, same content, same compression.
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setCompressStreams(false);
    // /PrintScaling came with PDF 1.6; Qt declares 1.4.
    writer.setMinimumPDFVersion("1.6");
    // The file identifier follows from the content, not the clock, so qpdf adds no
    // difference between two runs of its own.
    writer.setDeterministicID(true);
    writer.write();
    const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace veltrane
