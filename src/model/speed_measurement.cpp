#include "model/speed_measurement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

#include "model/golden_section.h"
#include "model/number_format.h"

namespace veltrane {
namespace {

using Complex = std::complex<double>;
constexpr double two_pi = 2 * std::numbers::pi;

// Around the nominal tone the baseband holds the tone anywhere within ±4 % plus the
// sidebands of flutter up to 200 Hz; the decimated rate is four times that half-width, so
// the anti-alias filter has a full band-width of transition.
constexpr double sideband_hz = 250;
constexpr double blackman_width = 5.5;  // transition widths per tap count x rate (~74 dB)
constexpr int oscillator_refresh = 1024;
constexpr std::size_t block_samples = 16384;

constexpr double wow_low_hz = 0.5;
constexpr double wow_flutter_split_hz = 6;
constexpr double flutter_high_hz = 200;
constexpr double lowest_modulation_hz = 0.25;
constexpr int counted_lines = 4;  // lines counted whole in their band, strongest first

constexpr double silence_rms = 1e-5;         // -100 dBFS
constexpr double least_tone_fraction = 0.3;  // of the signal's power near the nominal tone
constexpr double detector_decay_s = 1.5;
constexpr double detector_settle_s = 1;
constexpr double exceeded_fraction = 0.05;  // the two-sigma reading: exceeded 5 % of the time
constexpr std::size_t plot_points = 4000;

double baseband_half_width_hz(double tone_hz) {
  return max_tone_offset_percent / 100 * tone_hz + sideband_hz;
}

std::vector<double> low_pass_taps(double sample_rate_hz, int decimation, double pass_hz) {
  const double rate = sample_rate_hz / decimation;
  const double transition_hz = rate - 2 * pass_hz;
  const int half = static_cast<int>(std::ceil(blackman_width * sample_rate_hz / transition_hz / 2));
  const int count = 2 * half + 1;
  const double cutoff = rate / 2 / sample_rate_hz;  // cycles per sample
  std::vector<double> taps(static_cast<std::size_t>(count));
  double sum = 0;
  for (int k = 0; k < count; ++k) {
    const double x = k - half;
    const double sinc = x == 0 ? 1 : std::sin(two_pi * cutoff * x) / (two_pi * cutoff * x);
    const double a = two_pi * k / (count - 1);
    const double window = 0.42 - 0.5 * std::cos(a) + 0.08 * std::cos(2 * a);
    taps[static_cast<std::size_t>(k)] = sinc * window;
    sum += sinc * window;
  }
  for (double& t : taps) t /= sum;
  return taps;
}

void mix_and_filter(SpeedMeter& m, double x) {
  if (m.samples % oscillator_refresh == 0) {
    // Recomputed from the sample count now and then, so that rounding never accumulates.
    const double cycles =
        std::fmod(static_cast<double>(m.samples) * (m.options.tone_hz / m.sample_rate_hz), 1.0);
    m.oscillator = std::polar(1.0, -two_pi * cycles);
  }
  const std::size_t n = m.taps.size();
  const Complex mixed = x * m.oscillator;
  m.history[m.history_at] = mixed;
  m.history[m.history_at + n] = mixed;
  m.history_at = (m.history_at + 1) % n;
  m.oscillator *= m.oscillator_step;
  ++m.samples;
  if (m.samples % static_cast<std::uint64_t>(m.decimation) != 0) return;
  // The window of the last n samples, oldest first.
  double re = 0;
  double im = 0;
  const Complex* window = m.history.data() + m.history_at;
  for (std::size_t k = 0; k < n; ++k) {
    re += m.taps[k] * window[k].real();
    im += m.taps[k] * window[k].imag();
  }
  const Complex z{re, im};
  const Complex previous = std::exchange(m.previous, z);
  // The filter has seen a full window only after n samples.
  if (m.samples <= n + static_cast<std::uint64_t>(m.decimation)) return;
  ++m.outputs;
  m.baseband_energy += std::norm(z);
  if (m.track_full) return;
  const double rate = m.sample_rate_hz / m.decimation;
  m.track_hz.push_back(m.options.tone_hz + std::arg(z * std::conj(previous)) * rate / two_pi);
  if (m.track_hz.size() >= m.options.max_track_points) {
    if (!m.options.rolling) {
      m.track_full = true;
    } else {
      const std::size_t drop = m.track_hz.size() / 4;
      m.track_hz.erase(m.track_hz.begin(), m.track_hz.begin() + static_cast<std::ptrdiff_t>(drop));
      m.track_dropped += drop;
    }
  }
}

// The strongest frequency of the loudest block (Hann window, parabolic peak), for naming a
// tone that lies away from the nominal one.
std::optional<double> strongest_frequency(const SpeedMeter& m) {
  if (m.loudest_block.size() < block_samples) return std::nullopt;
  std::vector<Complex> data(block_samples);
  for (std::size_t i = 0; i < block_samples; ++i) {
    const double w = 0.5 - 0.5 * std::cos(two_pi * static_cast<double>(i) / block_samples);
    data[i] = m.loudest_block[i] * w;
  }
  fft(data);
  const double bin_hz = m.sample_rate_hz / block_samples;
  std::size_t best = 0;
  for (auto k = static_cast<std::size_t>(std::ceil(20 / bin_hz)); k + 1 < block_samples / 2; ++k)
    if (best == 0 || std::abs(data[k]) > std::abs(data[best])) best = k;
  if (best == 0) return std::nullopt;
  const double a = std::log(std::abs(data[best - 1]) + 1e-300);
  const double b = std::log(std::abs(data[best]) + 1e-300);
  const double c = std::log(std::abs(data[best + 1]) + 1e-300);
  const double offset = a - 2 * b + c == 0 ? 0 : 0.5 * (a - c) / (a - 2 * b + c);
  return (static_cast<double>(best) + offset) * bin_hz;
}

// One biquad section, z-domain, b over a with a0 = 1.
struct Biquad {
  double b0, b1, b2, a1, a2;
  double s1 = 0, s2 = 0;
  double step(double x) {
    const double y = b0 * x + s1;
    s1 = b1 * x - a1 * y + s2;
    s2 = b2 * x - a2 * y;
    return y;
  }
  Complex response(double w) const {
    const Complex z1 = std::polar(1.0, -w);
    return (b0 + b1 * z1 + b2 * z1 * z1) / (1.0 + a1 * z1 + a2 * z1 * z1);
  }
};

// The analog weighting: a band-pass centred on 3.05 Hz (Q 0.56) for the 6 dB per octave
// either side, and a high-pass at 0.42 Hz (Q 0.8) for the steeper fall below 0.5 Hz;
// numerator and denominator of each section as (s^2, s, 1) coefficients, s in rad/s.
struct AnalogSection {
  double b2, b1, b0, a2, a1, a0;
};
constexpr double band_hz = 3.05;
constexpr double band_q = 0.56;
constexpr double high_pass_hz = 0.42;
constexpr double high_pass_q = 0.8;

std::array<AnalogSection, 2> weighting_sections() {
  const double w0 = two_pi * band_hz;
  const double w3 = two_pi * high_pass_hz;
  return {AnalogSection{0, w0 / band_q, 0, 1, w0 / band_q, w0 * w0},
          AnalogSection{1, 0, 0, 1, w3 / high_pass_q, w3 * w3}};
}

Complex analog_response(double hz) {
  const Complex s{0, two_pi * hz};
  Complex h = 1;
  for (const AnalogSection& a : weighting_sections())
    h *= (a.b2 * s * s + a.b1 * s + a.b0) / (a.a2 * s * s + a.a1 * s + a.a0);
  return h;
}

// The sections by the bilinear transform at `rate_hz`, scaled to gain 1 at 4 Hz.
std::vector<Biquad> weighting_filter(double rate_hz) {
  const double k = 2 * rate_hz;
  std::vector<Biquad> filter;
  for (const AnalogSection& a : weighting_sections()) {
    const double b0 = a.b2 * k * k + a.b1 * k + a.b0;
    const double b1 = 2 * a.b0 - 2 * a.b2 * k * k;
    const double b2 = a.b2 * k * k - a.b1 * k + a.b0;
    const double a0 = a.a2 * k * k + a.a1 * k + a.a0;
    const double a1 = 2 * a.a0 - 2 * a.a2 * k * k;
    const double a2 = a.a2 * k * k - a.a1 * k + a.a0;
    filter.push_back({b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0});
  }
  Complex gain = 1;
  for (const Biquad& q : filter) gain *= q.response(two_pi * 4 / rate_hz);
  const double scale = 1 / std::abs(gain);
  filter[0].b0 *= scale;
  filter[0].b1 *= scale;
  filter[0].b2 *= scale;
  return filter;
}

// The weighted reading of a deviation track: weighted, its positive and negative peaks held
// (instant attack, decay with detector_decay_s), half their distance, and the level that
// reading exceeds for 5 % of the time after the detector has settled.
double weighted_reading(std::span<const double> deviation, double rate_hz) {
  std::vector<Biquad> filter = weighting_filter(rate_hz);
  const double decay = 1 - std::exp(-1 / (detector_decay_s * rate_hz));
  const auto settle = static_cast<std::size_t>(detector_settle_s * rate_hz);
  double high = 0;
  double low = 0;
  std::vector<double> readings;
  readings.reserve(deviation.size());
  for (std::size_t i = 0; i < deviation.size(); ++i) {
    double w = deviation[i];
    for (Biquad& q : filter) w = q.step(w);
    high = w > high ? w : high + (w - high) * decay;
    low = w < low ? w : low + (w - low) * decay;
    if (i >= settle) readings.push_back((high - low) / 2);
  }
  if (readings.empty()) return 0;
  const auto at = static_cast<std::ptrdiff_t>(
      std::floor((1 - exceeded_fraction) * static_cast<double>(readings.size() - 1)));
  std::nth_element(readings.begin(), readings.begin() + at, readings.end());
  return readings[static_cast<std::size_t>(at)];
}

// The reading of a steady sinusoid of amplitude 1 at 4 Hz: the standard's calibration point,
// which the reported figure is divided by, so that ±A at 4 Hz reads ±A.
double weighted_calibration(double rate_hz) {
  std::vector<double> sine(static_cast<std::size_t>(10 * rate_hz));
  for (std::size_t i = 0; i < sine.size(); ++i)
    sine[i] = std::sin(two_pi * 4 * static_cast<double>(i) / rate_hz);
  return weighted_reading(sine, rate_hz);
}

// The spectrum of a deviation, zero-padded to a power of two at least twice its length so
// that a line's lobe spans several bins, as the power of each positive-frequency bin: the
// bins of all frequencies sum to the mean square of the deviation (Parseval, zero-padding
// included).
struct PowerSpectrum {
  std::vector<double> power;
  double bin_hz = 0;
  double per_lobe = 0;  // bins per 1 / duration
};

PowerSpectrum power_spectrum(std::span<const double> x, double rate_hz) {
  std::size_t size = 1;
  while (size < 2 * x.size()) size <<= 1;
  std::vector<Complex> spectrum(size);
  std::copy(x.begin(), x.end(), spectrum.begin());
  fft(spectrum);
  PowerSpectrum p;
  const auto n = static_cast<double>(x.size());
  p.bin_hz = rate_hz / static_cast<double>(size);
  p.per_lobe = static_cast<double>(size) / n;
  p.power.resize(size / 2);
  for (std::size_t k = 0; k < size / 2; ++k)
    p.power[k] = 2 * std::norm(spectrum[k]) / (static_cast<double>(size) * n);
  return p;
}

// A sinusoid c cos(w t) + s sin(w t), the time counted from the middle of the recording.
struct Line {
  double hz = 0;
  double c = 0;
  double s = 0;
  [[nodiscard]] double amplitude() const { return std::hypot(c, s); }
};

// f(i, cos, sin) of the phase step * (i - centre) for each of `count` samples, the centre
// being the middle of the recording. The oscillator turns by one step per sample and is set
// exactly now and then, so that rounding cannot build up.
template <class F>
void each_phase(std::size_t count, double step, const F& f) {
  const double centre = (static_cast<double>(count) - 1) / 2;
  const Complex turn = std::polar(1.0, step);
  Complex z;
  for (std::size_t i = 0; i < count; ++i) {
    if (i % oscillator_refresh == 0) z = std::polar(1.0, step * (static_cast<double>(i) - centre));
    f(i, z.real(), z.imag());
    z *= turn;
  }
}

// The sinusoid at `hz` that fits the deviation best (least squares on a cosine and a sine).
// Unlike the spectrum's lobe it loses nothing to leakage, whether or not the recording holds
// a whole number of the line's cycles.
Line fitted_line(std::span<const double> x, double rate_hz, double hz) {
  double cc = 0;
  double ss = 0;
  double cs = 0;
  double xc = 0;
  double xs = 0;
  each_phase(x.size(), two_pi * hz / rate_hz, [&](std::size_t i, double c, double s) {
    cc += c * c;
    ss += s * s;
    cs += c * s;
    xc += x[i] * c;
    xs += x[i] * s;
  });
  const double det = cc * ss - cs * cs;
  if (!(det > 0)) return {hz, 0, 0};
  return {hz, (xc * ss - xs * cs) / det, (xs * cc - xc * cs) / det};
}

void subtract(std::span<double> x, double rate_hz, const Line& line) {
  each_phase(x.size(), two_pi * line.hz / rate_hz,
             [&](std::size_t i, double c, double s) { x[i] -= line.c * c + line.s * s; });
}

// The strongest line of x between low_hz and high_hz, from x's spectrum p: the bin of most
// power, the power-weighted centre of its lobe, refined to where a sinusoid fits best (the
// fit rises and falls once across the lobe, so a golden-section search finds it).
std::optional<Line> strongest_line(std::span<const double> x, const PowerSpectrum& p,
                                   double rate_hz, double low_hz, double high_hz) {
  const std::size_t last =
      std::min(p.power.size() - 1, static_cast<std::size_t>(high_hz / p.bin_hz));
  std::size_t peak = 0;
  for (std::size_t k = 1; k <= last; ++k)
    if (static_cast<double>(k) * p.bin_hz >= low_hz && (peak == 0 || p.power[k] > p.power[peak]))
      peak = k;
  if (peak == 0 || !(p.power[peak] > 0)) return std::nullopt;
  const auto reach = static_cast<std::size_t>(std::ceil(1.5 * p.per_lobe));
  double lobe = 0;
  double moment = 0;
  for (std::size_t k = peak > reach ? peak - reach : 1; k <= std::min(last, peak + reach); ++k) {
    lobe += p.power[k];
    moment += p.power[k] * static_cast<double>(k);
  }
  const double centre_hz = moment / lobe * p.bin_hz;
  const double half_lobe_hz = 0.5 * p.bin_hz * p.per_lobe;
  const double low = std::max(centre_hz - half_lobe_hz, p.bin_hz / 2);
  const double high = centre_hz + half_lobe_hz;
  const auto misfit = [&](double hz) { return -fitted_line(x, rate_hz, hz).amplitude(); };
  return fitted_line(x, rate_hz, golden_minimum(misfit, low, high, (high - low) * 1e-7));
}

std::string percent_text(double value) {
  return format_up_to_three_decimals(value);
}

}  // namespace

void fft(std::vector<Complex>& data) {
  const std::size_t n = data.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(data[i], data[j]);
  }
  std::vector<Complex> twiddle(n / 2);
  for (std::size_t k = 0; k < n / 2; ++k)
    twiddle[k] = std::polar(1.0, -two_pi * static_cast<double>(k) / static_cast<double>(n));
  for (std::size_t length = 2; length <= n; length <<= 1) {
    const std::size_t stride = n / length;
    for (std::size_t start = 0; start < n; start += length) {
      for (std::size_t k = 0; k < length / 2; ++k) {
        const Complex odd = data[start + k + length / 2] * twiddle[k * stride];
        data[start + k + length / 2] = data[start + k] - odd;
        data[start + k] += odd;
      }
    }
  }
}

double flutter_weighting_gain(double hz) {
  return std::abs(analog_response(hz)) / std::abs(analog_response(4));
}

SpeedMeter make_speed_meter(double sample_rate_hz, const SpeedOptions& options) {
  SpeedMeter m;
  m.sample_rate_hz = sample_rate_hz;
  m.options = options;
  const double pass_hz = baseband_half_width_hz(options.tone_hz);
  m.decimation = std::max(1, static_cast<int>(std::floor(sample_rate_hz / (4 * pass_hz))));
  m.taps = low_pass_taps(sample_rate_hz, m.decimation, pass_hz);
  m.history.assign(2 * m.taps.size(), Complex{0, 0});
  m.oscillator_step = std::polar(1.0, -two_pi * options.tone_hz / sample_rate_hz);
  m.block.reserve(block_samples);
  return m;
}

double highest_measurable_tone_hz(double sample_rate_hz) {
  return (sample_rate_hz / 2 - sideband_hz) / (1 + max_tone_offset_percent / 100);
}

void add_speed_samples(SpeedMeter& m, std::span<const double> samples) {
  for (const double x : samples) {
    m.input_energy += x * x;
    m.block.push_back(x);
    if (m.block.size() == block_samples) {
      double energy = 0;
      for (const double b : m.block) energy += b * b;
      if (energy > m.loudest_energy) {
        m.loudest_energy = energy;
        m.loudest_block.swap(m.block);
      }
      m.block.clear();
    }
    mix_and_filter(m, x);
  }
}

SpeedResult measure_speed(const SpeedMeter& m) {
  SpeedResult r;
  const SpeedOptions& o = m.options;
  r.nominal_tone_hz = o.tone_hz;
  r.rpm = o.rpm;
  const double rate = m.sample_rate_hz / m.decimation;
  const std::vector<double>& track = m.track_hz;
  r.duration_s = m.track_dropped > 0 ? static_cast<double>(track.size()) / rate
                                     : static_cast<double>(m.samples) / m.sample_rate_hz;
  if (o.tone_hz >= highest_measurable_tone_hz(m.sample_rate_hz)) {
    r.problem = "a tone of " + percent_text(o.tone_hz) + " Hz cannot be measured at " +
                percent_text(m.sample_rate_hz) +
                " samples per second: it needs a sample rate above " +
                percent_text(2 * (o.tone_hz + baseband_half_width_hz(o.tone_hz))) + " Hz";
    return r;
  }
  if (r.duration_s < min_speed_recording_s) {
    r.problem = "the recording is " + percent_text(r.duration_s) +
                " s long: the measurement needs at least " + percent_text(min_speed_recording_s) +
                " s of the tone";
    return r;
  }
  const double input_power = m.input_energy / static_cast<double>(m.samples);
  if (!(std::sqrt(input_power) >= silence_rms)) {
    r.problem = "the recording is silent";
    return r;
  }
  const std::string offset_problem = "no tone within \u00B1" +
                                     percent_text(max_tone_offset_percent) + " % of " +
                                     percent_text(o.tone_hz) + " Hz";
  const double tone_fraction =
      m.outputs == 0 ? 0 : 2 * m.baseband_energy / static_cast<double>(m.outputs) / input_power;
  if (tone_fraction < least_tone_fraction || track.size() < 2) {
    r.problem = offset_problem;
    r.found_tone_hz = strongest_frequency(m);
    return r;
  }

  // The mean and the linear trend, from the track averaged over each revolution (a moving
  // average one revolution long), so that the once-per-revolution wobble and its harmonics,
  // which a turntable always has, neither tilt the trend nor shift the mean.
  const auto n = static_cast<double>(track.size());
  const std::size_t window = std::clamp<std::size_t>(
      static_cast<std::size_t>(std::lround(rate * 60 / o.rpm)), 1, track.size());
  std::vector<double> averaged;
  averaged.reserve(track.size() - window + 1);
  double sum = 0;
  for (std::size_t i = 0; i < track.size(); ++i) {
    sum += track[i];
    if (i >= window) sum -= track[i - window];
    if (i + 1 >= window) averaged.push_back(sum / static_cast<double>(window));
  }
  const auto m_count = static_cast<double>(averaged.size());
  double mean = 0;
  for (const double f : averaged) mean += f;
  mean /= m_count;
  double sxy = 0;
  double sxx = 0;
  for (std::size_t i = 0; i < averaged.size(); ++i) {
    const double t = (static_cast<double>(i) - (m_count - 1) / 2) / rate;
    sxy += t * (averaged[i] - mean);
    sxx += t * t;
  }
  const double slope_hz_per_s = sxx > 0 ? sxy / sxx : 0;
  r.tone_hz = mean;
  r.speed_error_percent = (mean / o.tone_hz - 1) * 100;
  if (std::fabs(r.speed_error_percent) > max_tone_offset_percent) {
    r.problem = offset_problem;
    r.found_tone_hz = mean;
    return r;
  }
  r.drift_percent_per_min = slope_hz_per_s * 60 / o.tone_hz * 100;

  // The deviation from the trend, in percent of the mean.
  std::vector<double> deviation(track.size());
  for (std::size_t i = 0; i < track.size(); ++i) {
    const double t = (static_cast<double>(i) - (n - 1) / 2) / rate;
    deviation[i] = (track[i] - mean - slope_hz_per_s * t) / mean * 100;
  }
  const PowerSpectrum spectrum = power_spectrum(deviation, rate);
  if (const auto line =
          strongest_line(deviation, spectrum, rate,
                         std::max(lowest_modulation_hz, 2 / r.duration_s), flutter_high_hz)) {
    r.dominant_modulation_hz = line->hz;
    r.dominant_modulation_percent = line->amplitude();
    const double revolution_hz = o.rpm / 60;
    r.dominant_is_revolution = std::fabs(r.dominant_modulation_hz - revolution_hz) <=
                               std::max(0.03 * revolution_hz, 1.5 / r.duration_s);
  }

  // Wow and flutter sum the spectrum's power in their bands. A line's lobe is 2 / duration
  // wide, so a line near a band's edge (the once-per-revolution line of 0.556 Hz, half a
  // lobe above 0.5 Hz in a short recording) would lose what leaks across it: the strongest
  // lines are fitted, counted whole in the band of their frequency and taken out first.
  double wow = 0;
  double flutter = 0;
  const auto add_to_band = [&](double hz, double power) {
    if (hz >= wow_low_hz && hz < wow_flutter_split_hz) wow += power;
    if (hz >= wow_flutter_split_hz && hz <= flutter_high_hz) flutter += power;
  };
  std::vector<double> residual = deviation;
  PowerSpectrum rest = spectrum;
  for (int i = 0; i < counted_lines; ++i) {
    const auto line = strongest_line(residual, rest, rate, wow_low_hz, flutter_high_hz);
    if (!line) break;
    add_to_band(line->hz, line->amplitude() * line->amplitude() / 2);
    subtract(residual, rate, *line);
    rest = power_spectrum(residual, rate);
  }
  for (std::size_t k = 1; k < rest.power.size(); ++k)
    add_to_band(static_cast<double>(k) * rest.bin_hz, rest.power[k]);
  r.wow_rms_percent = std::sqrt(wow);
  r.flutter_rms_percent = std::sqrt(flutter);
  r.weighted_peak_percent = weighted_reading(deviation, rate) / weighted_calibration(rate);

  r.spectrum_step_hz = spectrum.bin_hz;
  const std::size_t last = std::min(spectrum.power.size() - 1,
                                    static_cast<std::size_t>(flutter_high_hz / spectrum.bin_hz));
  for (std::size_t k = 0; k <= last; ++k)
    r.spectrum_percent.push_back(std::sqrt(2 * spectrum.power[k] * spectrum.per_lobe));
  const std::size_t group = std::max<std::size_t>(1, track.size() / plot_points);
  r.deviation_step_s = static_cast<double>(group) / rate;
  r.deviation_start_s = static_cast<double>(m.track_dropped) / rate;
  for (std::size_t i = 0; i + group <= track.size(); i += group) {
    double sum = 0;
    for (std::size_t j = i; j < i + group; ++j) sum += track[j];
    r.deviation_percent.push_back((sum / static_cast<double>(group) / o.tone_hz - 1) * 100);
  }

  if (m.clipped_samples > 0)
    r.warnings.push_back("the recording clips (" + std::to_string(m.clipped_samples) +
                         " samples at full scale): the frequency is still measured, but "
                         "record at a lower level");
  if (m.track_full)
    r.warnings.push_back("only the first " + percent_text(n / rate / 60) +
                         " minutes of the recording are measured");
  return r;
}

}  // namespace veltrane
