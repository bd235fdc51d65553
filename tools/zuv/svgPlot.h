// Plots as inline SVG for `zuv report`: time series and x/y paths with axes,
// grid, legend and markers. A time series is drawn as one min/max pair per
// pixel column and a path keeps one point per pixel it enters, so a long
// recording gives a figure of the same size as a short one.
// Errors: none; non-finite values are left out, an empty plot has axes only.
// Threading: pure functions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zuv::tool {

struct PlotSeries {
    std::string name;
    std::string color;  // any SVG colour
    std::vector<double> x;
    std::vector<double> y;
};

// A vertical line across the plot at x, its text as a tooltip.
struct PlotMarker {
    double x = 0.0;
    std::string text;
};

struct PlotFrame {
    std::string title;  // the SVG's <title>
    std::string xLabel;
    std::string yLabel;
    int width = 960;
    int height = 260;
    // The x range of a time plot; taken from the data when min >= max.
    double xMin = 0.0;
    double xMax = 0.0;
    // The y range; taken from the data when min >= max.
    double yMin = 0.0;
    double yMax = 0.0;
};

std::string timePlotSvg(const PlotFrame &frame, const std::vector<PlotSeries> &series,
                        const std::vector<PlotMarker> &markers = {});
// Same scale on both axes (a map in metres).
std::string pathPlotSvg(const PlotFrame &frame, const std::vector<PlotSeries> &series);

// Text for HTML and SVG: & < > " escaped.
std::string escapeMarkup(std::string_view text);

// Steps of 1, 2 or 5 times a power of ten, about `count` of them over [lo, hi].
std::vector<double> niceTicks(double lo, double hi, int count);

}  // namespace zuv::tool
