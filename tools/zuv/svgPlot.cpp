#include "svgPlot.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <fmt/format.h>

namespace zuv::tool {

namespace {

constexpr int kLeft = 64;
constexpr int kRight = 16;
constexpr int kTop = 26;
constexpr int kBottom = 40;

struct Range {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    void add(double v) {
        if (!std::isfinite(v)) return;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    bool empty() const { return !(lo <= hi); }
    // A flat or empty range still needs a scale.
    void settle() {
        if (empty()) {
            lo = 0.0;
            hi = 1.0;
        } else if (lo == hi) {
            const double pad = std::abs(lo) > 0 ? std::abs(lo) * 0.01 : 1.0;
            lo -= pad;
            hi += pad;
        }
    }
    void pad(double fraction) {
        const double d = (hi - lo) * fraction;
        lo -= d;
        hi += d;
    }
};

// Plot area and the mapping of data onto it.
struct Area {
    double x0, y0, w, h;
    Range xr, yr;
    double px(double x) const { return x0 + (x - xr.lo) / (xr.hi - xr.lo) * w; }
    double py(double y) const { return y0 + h - (std::clamp(y, yr.lo, yr.hi) - yr.lo) / (yr.hi - yr.lo) * h; }
};

std::string tickText(double v, double step) {
    if (v == 0.0) return "0";
    const double magnitude = std::abs(step);
    if (magnitude >= 1e6 || magnitude < 1e-4) return fmt::format("{:.3g}", v);
    const int decimals = magnitude >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(magnitude) - 1e-9));
    return fmt::format("{:.{}f}", v, decimals);
}

void openSvg(std::string &out, const PlotFrame &frame) {
    out += fmt::format(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"{0}\" height=\"{1}\" viewBox=\"0 0 {0} {1}\" "
        "role=\"img\"><title>{2}</title>",
        frame.width, frame.height, escapeMarkup(frame.title));
}

void axes(std::string &out, const PlotFrame &frame, const Area &a) {
    out += fmt::format("<rect x=\"{:.1f}\" y=\"{:.1f}\" width=\"{:.1f}\" height=\"{:.1f}\" class=\"area\"/>", a.x0,
                       a.y0, a.w, a.h);
    const std::vector<double> xt = niceTicks(a.xr.lo, a.xr.hi, std::max(2, static_cast<int>(a.w / 90)));
    const double xs = xt.size() > 1 ? xt[1] - xt[0] : 1.0;
    for (double t : xt) {
        const double x = a.px(t);
        out += fmt::format("<line x1=\"{0:.1f}\" y1=\"{1:.1f}\" x2=\"{0:.1f}\" y2=\"{2:.1f}\" class=\"grid\"/>", x,
                           a.y0, a.y0 + a.h);
        out += fmt::format("<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"tick\" text-anchor=\"middle\">{}</text>", x,
                           a.y0 + a.h + 14, tickText(t, xs));
    }
    const std::vector<double> yt = niceTicks(a.yr.lo, a.yr.hi, std::max(2, static_cast<int>(a.h / 45)));
    const double ys = yt.size() > 1 ? yt[1] - yt[0] : 1.0;
    for (double t : yt) {
        const double y = a.py(t);
        out += fmt::format("<line x1=\"{0:.1f}\" y1=\"{1:.1f}\" x2=\"{2:.1f}\" y2=\"{1:.1f}\" class=\"grid\"/>", a.x0,
                           y, a.x0 + a.w);
        out += fmt::format("<text x=\"{:.1f}\" y=\"{:.1f}\" class=\"tick\" text-anchor=\"end\">{}</text>", a.x0 - 4,
                           y + 4, tickText(t, ys));
    }
    if (!frame.xLabel.empty()) {
        out += fmt::format("<text x=\"{:.1f}\" y=\"{}\" class=\"label\" text-anchor=\"middle\">{}</text>",
                           a.x0 + a.w / 2, frame.height - 6, escapeMarkup(frame.xLabel));
    }
    if (!frame.yLabel.empty()) {
        out += fmt::format(
            "<text x=\"12\" y=\"{0:.1f}\" class=\"label\" text-anchor=\"middle\" transform=\"rotate(-90 12 "
            "{0:.1f})\">{1}"
            "</text>",
            a.y0 + a.h / 2, escapeMarkup(frame.yLabel));
    }
}

void legend(std::string &out, const Area &a, const std::vector<PlotSeries> &series) {
    double x = a.x0;
    for (const PlotSeries &s : series) {
        out += fmt::format("<rect x=\"{:.1f}\" y=\"8\" width=\"10\" height=\"10\" fill=\"{}\"/>", x, s.color);
        out += fmt::format("<text x=\"{:.1f}\" y=\"17\" class=\"legend\">{}</text>", x + 14, escapeMarkup(s.name));
        x += 14 + 7.0 * static_cast<double>(s.name.size()) + 18;
    }
}

void polyline(std::string &out, const std::string &points, const std::string &color) {
    if (points.empty()) return;
    out += "<polyline fill=\"none\" stroke=\"";
    out += color;
    out += "\" stroke-width=\"1.2\" points=\"";
    out += points;
    out += "\"/>";
}

void appendPoint(std::string &points, double x, double y) {
    fmt::format_to(std::back_inserter(points), "{:.1f},{:.1f} ", x, y);
}

}  // namespace

std::string escapeMarkup(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

std::vector<double> niceTicks(double lo, double hi, int count) {
    std::vector<double> ticks;
    if (!(hi > lo) || !std::isfinite(lo) || !std::isfinite(hi) || count < 1) return ticks;
    const double raw = (hi - lo) / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * power;
        if (step >= raw) break;
    }
    const double first = std::ceil(lo / step) * step;
    for (int i = 0; i < 100; ++i) {
        const double t = first + i * step;
        if (t > hi + step * 1e-9) break;
        ticks.push_back(std::abs(t) < step * 1e-9 ? 0.0 : t);
    }
    return ticks;
}

std::string timePlotSvg(const PlotFrame &frame, const std::vector<PlotSeries> &series,
                        const std::vector<PlotMarker> &markers) {
    Area a{kLeft,
           kTop,
           static_cast<double>(frame.width - kLeft - kRight),
           static_cast<double>(frame.height - kTop - kBottom),
           {},
           {}};
    if (frame.xMin < frame.xMax) {
        a.xr.lo = frame.xMin;
        a.xr.hi = frame.xMax;
    } else {
        for (const PlotSeries &s : series) {
            for (double x : s.x) a.xr.add(x);
        }
        a.xr.settle();
    }
    if (frame.yMin < frame.yMax) {
        a.yr.lo = frame.yMin;
        a.yr.hi = frame.yMax;
    } else {
        for (const PlotSeries &s : series) {
            for (size_t i = 0; i < s.y.size() && i < s.x.size(); ++i) {
                if (s.x[i] >= a.xr.lo && s.x[i] <= a.xr.hi) a.yr.add(s.y[i]);
            }
        }
        a.yr.settle();
        a.yr.pad(0.05);
    }

    std::string out;
    openSvg(out, frame);
    axes(out, frame, a);
    legend(out, a, series);

    // One column per pixel: its first, lowest, highest and last values, in
    // that order, so that spikes stay and lines join where they should.
    const int columns = std::max(1, static_cast<int>(a.w));
    struct Column {
        double first, lo, hi, last;
        bool used = false;
    };
    std::vector<Column> cells(static_cast<size_t>(columns));
    for (const PlotSeries &s : series) {
        std::fill(cells.begin(), cells.end(), Column{});
        const size_t n = std::min(s.x.size(), s.y.size());
        for (size_t i = 0; i < n; ++i) {
            const double x = s.x[i];
            const double y = s.y[i];
            if (!std::isfinite(x) || !std::isfinite(y) || x < a.xr.lo || x > a.xr.hi) continue;
            const int c = std::clamp(static_cast<int>((x - a.xr.lo) / (a.xr.hi - a.xr.lo) * columns), 0, columns - 1);
            Column &cell = cells[static_cast<size_t>(c)];
            if (!cell.used) {
                cell = {y, y, y, y, true};
            } else {
                cell.lo = std::min(cell.lo, y);
                cell.hi = std::max(cell.hi, y);
                cell.last = y;
            }
        }
        std::string points;
        for (int c = 0; c < columns; ++c) {
            const Column &cell = cells[static_cast<size_t>(c)];
            if (!cell.used) continue;
            const double x = a.x0 + c + 0.5;
            appendPoint(points, x, a.py(cell.first));
            if (cell.lo != cell.hi) {
                appendPoint(points, x, a.py(cell.lo));
                appendPoint(points, x, a.py(cell.hi));
                appendPoint(points, x, a.py(cell.last));
            }
        }
        polyline(out, points, s.color);
    }
    for (const PlotMarker &m : markers) {
        if (!(m.x >= a.xr.lo && m.x <= a.xr.hi)) continue;
        out += fmt::format(
            "<line x1=\"{0:.1f}\" y1=\"{1:.1f}\" x2=\"{0:.1f}\" y2=\"{2:.1f}\" "
            "class=\"marker\"><title>{3}</title></line>",
            a.px(m.x), a.y0, a.y0 + a.h, escapeMarkup(m.text));
    }
    out += "</svg>";
    return out;
}

std::string pathPlotSvg(const PlotFrame &frame, const std::vector<PlotSeries> &series) {
    Area a{kLeft,
           kTop,
           static_cast<double>(frame.width - kLeft - kRight),
           static_cast<double>(frame.height - kTop - kBottom),
           {},
           {}};
    for (const PlotSeries &s : series) {
        const size_t n = std::min(s.x.size(), s.y.size());
        for (size_t i = 0; i < n; ++i) {
            if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) continue;
            a.xr.add(s.x[i]);
            a.yr.add(s.y[i]);
        }
    }
    a.xr.settle();
    a.yr.settle();
    a.xr.pad(0.04);
    a.yr.pad(0.04);
    // One metre is as long across as up: widen the narrower range.
    const double perPixel = std::max((a.xr.hi - a.xr.lo) / a.w, (a.yr.hi - a.yr.lo) / a.h);
    const double xc = (a.xr.lo + a.xr.hi) / 2;
    const double yc = (a.yr.lo + a.yr.hi) / 2;
    a.xr = {xc - perPixel * a.w / 2, xc + perPixel * a.w / 2};
    a.yr = {yc - perPixel * a.h / 2, yc + perPixel * a.h / 2};

    std::string out;
    openSvg(out, frame);
    axes(out, frame, a);
    legend(out, a, series);
    for (const PlotSeries &s : series) {
        std::string points;
        long lastX = std::numeric_limits<long>::min();
        long lastY = 0;
        const size_t n = std::min(s.x.size(), s.y.size());
        for (size_t i = 0; i < n; ++i) {
            if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) continue;
            const double x = a.px(s.x[i]);
            const double y = a.py(s.y[i]);
            // One point per pixel entered.
            const long ix = std::lround(x);
            const long iy = std::lround(y);
            if (ix == lastX && iy == lastY) continue;
            lastX = ix;
            lastY = iy;
            appendPoint(points, x, y);
        }
        polyline(out, points, s.color);
    }
    out += "</svg>";
    return out;
}

}  // namespace zuv::tool
