#pragma once

#include <QPainterPath>
#include <QRectF>
#include <utility>
#include <vector>

namespace veltrane {

/// How far, in device dots, a drawn ellipse or arc may stray from the true curve.
inline constexpr double arc_tolerance_dots = 0.1;

/// The ellipse inscribed in `box` (corners in any order), as one closed path of cubic
/// Béziers that stays within `arc_tolerance_dots` of it.
QPainterPath ellipse_path(const QRectF& box);

/// The arc of the ellipse inscribed in `box` from where the ray at `start_rad` meets it to
/// where the ray at `end_rad` meets it, counter-clockwise as seen on a page whose y grows
/// downward: the ray at angle a points along (cos a, -sin a). Rays that coincide give the
/// whole ellipse.
QPainterPath arc_path(const QRectF& box, double start_rad, double end_rad);

/// The same arc closed by the two radii through the box's centre: a wedge.
QPainterPath pie_path(const QRectF& box, double start_rad, double end_rad);

/// The wedge without its tip: its radii start at `from` (0 to 1) of the way out from the
/// centre and a chord joins them. Outside the cut-off triangle it is the wedge, edge for edge.
QPainterPath wedge_without_tip(const QRectF& box, double start_rad, double end_rad, double from);

/// What a wedge (whole at `from` 0, else as `wedge_without_tip`) filled and outlined with a
/// round-jointed pen of `pen_width` inks: the wedge grown by half the pen width, its
/// corners rounded. A cut tip, which is drawn only where something covers it, is cut
/// straight across instead. For wedges of less than half a turn.
QPainterPath inked_wedge(const QRectF& box, double start_rad, double end_rad, double from,
                         double pen_width);

/// The ends of the wedge's arc, where its radii meet the ellipse.
std::pair<QPointF, QPointF> wedge_corners(const QRectF& box, double start_rad, double end_rad);

/// The corners of a polygon that follows `path`, one closed subpath, within `tolerance`
/// dots: its lines as they are, its curves cut into lines.
std::vector<QPointF> flattened(const QPainterPath& path, double tolerance);

}  // namespace veltrane
