#include "print/recording_device.h"

#include <sstream>

namespace veltrane {
namespace {

class RecordingDevice final : public PrintDevice {
 public:
  RecordingDevice(std::vector<RecordedJob>& jobs, std::string_view document_name, int dpi)
      : jobs_(jobs), trace_(make_trace_device(out_, document_name, dpi)) {
    job_.document_name = std::string(document_name);
  }

  void set_orientation(Orientation orientation) override { trace_->set_orientation(orientation); }
  Resolution dots_per_inch() override { return trace_->dots_per_inch(); }
  void set_pen_width(int dots) override { trace_->set_pen_width(dots); }
  void move_to(int x, int y) override { trace_->move_to(x, y); }
  void line_to(int x, int y) override { trace_->line_to(x, y); }
  void ellipse(DotBox box, Colour outline, Fill fill) override {
    trace_->ellipse(box, outline, fill);
  }
  void arc(DotBox box, float start_rad, float end_rad) override {
    trace_->arc(box, start_rad, end_rad);
  }
  void pie(DotBox box, float start_rad, float end_rad) override {
    trace_->pie(box, start_rad, end_rad);
  }
  void select_font(const PrintFont& font) override { trace_->select_font(font); }
  void print_text(std::string_view utf8) override {
    job_.texts.emplace_back(utf8);
    trace_->print_text(utf8);
  }
  void close() override {
    trace_->close();
    job_.trace = out_.str();
    jobs_.push_back(std::move(job_));
  }

 private:
  std::vector<RecordedJob>& jobs_;
  RecordedJob job_;
  std::ostringstream out_;
  std::unique_ptr<PrintDevice> trace_;
};

}  // namespace

std::unique_ptr<PrintDevice> make_recording_device(std::vector<RecordedJob>& jobs,
                                                   std::string_view document_name, int dpi) {
  return std::make_unique<RecordingDevice>(jobs, document_name, dpi);
}

PrintOpener recording_opener(std::vector<RecordedJob>& jobs, int dpi) {
  return [&jobs, dpi](std::string_view name) { return make_recording_device(jobs, name, dpi); };
}

}  // namespace veltrane
