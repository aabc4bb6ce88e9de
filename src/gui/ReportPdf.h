#pragma once

#include <QPageSize>
#include <functional>
#include <vector>

#include "core/job.h"
#include "testrun/report.h"

class QLocale;
class QPainter;
class QPagedPaintDevice;
class QRectF;

namespace varnok {

// Paints the chart of up to twelve Lies into a rectangle of the painter, the
// Lies in the colours of the chart window's first twelve.
using ReportChartPainter = std::function<void(QPainter &, const QRectF &, const std::vector<ChartSeries> &)>;

inline constexpr std::size_t kLiesPerReportChart = 12;

// The paper of the locale: Letter where it is the custom, A4 elsewhere.
QPageSize reportPageSize(const QLocale &locale);

// Draws the report on a device that the painter has begun on, page after
// page: the first page, the charts (twelve Lies each), then per Lie its
// statement, its responses and its explanations; every page numbered.
// Checkpoints on the progress between Lies.
void drawReport(QPainter &painter, QPagedPaintDevice &device, const ReportContent &content,
                const ReportChartPainter &paintChart, JobProgress &progress);

} // namespace varnok
