#pragma once

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <string>
#include <vector>

namespace veltrane {

/// What a PDF says about itself, read back with libqpdf.
struct PdfFacts {
  bool readable = false;
  std::size_t pages = 0;
  std::string title;
  std::string print_scaling;           ///< the catalogue's /ViewerPreferences /PrintScaling
  std::vector<std::string> root_keys;  ///< the catalogue's keys
  double width_pt = 0, height_pt = 0;  ///< the first page's media box
  std::string content;                 ///< the first page's content stream, as stored
};

inline PdfFacts pdf_facts(const std::string& bytes) {
  PdfFacts facts;
  try {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processMemoryFile("test", bytes.data(), bytes.size());
    QPDFObjectHandle root = pdf.getRoot();
    for (const std::string& key : root.getKeys()) facts.root_keys.push_back(key);
    QPDFObjectHandle preferences = root.getKey("/ViewerPreferences");
    if (preferences.isDictionary() && preferences.getKey("/PrintScaling").isName())
      facts.print_scaling = preferences.getKey("/PrintScaling").getName();
    QPDFObjectHandle info = pdf.getTrailer().getKey("/Info");
    if (info.isDictionary() && info.getKey("/Title").isString())
      facts.title = info.getKey("/Title").getUTF8Value();
    const std::vector<QPDFObjectHandle>& pages = pdf.getAllPages();
    facts.pages = pages.size();
    if (!pages.empty()) {
      QPDFObjectHandle page = pages.front();
      QPDFObjectHandle box = page.getKey("/MediaBox");
      if (box.isArray() && box.getArrayNItems() == 4) {
        facts.width_pt =
            box.getArrayItem(2).getNumericValue() - box.getArrayItem(0).getNumericValue();
        facts.height_pt =
            box.getArrayItem(3).getNumericValue() - box.getArrayItem(1).getNumericValue();
      }
      QPDFObjectHandle contents = page.getKey("/Contents");
      if (contents.isStream()) {
        const auto data = contents.getRawStreamData();
        facts.content.assign(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
      }
    }
    facts.readable = true;
  } catch (const std::exception&) {
  }
  return facts;
}

}  // namespace veltrane
