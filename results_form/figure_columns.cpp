#include "results_form/figure_columns.h"

#include <array>
#include <cmath>

#include "results_form/grid_columns.h"
#include "results_form/tolerance_style.h"

namespace results_form {
namespace {

enum class Figure { Planned, Booked, Gap, GapPercent, Efficiency };

// The captions of the planned grid, by category (total first).
struct Captions {
  const char* planned;
  const char* booked;
  const char* gap;
  const char* gap_percent;
};
constexpr std::array<Captions, 7> kCaptions{{
    {"Previsto", "Versato", "Scostamento", "Scost. %"},
    {"Previsto lav.", "Versato lav.", "Scost. lav.", "Sc. lav. %"},
    {"Previsto set.", "Versato set.", "Scost. setup", "Sc. set. %"},
    {"Prev.lav.mac", "Vers.lav.mac", "Scost.lav.mac.", "Sc.lav.mac.%"},
    {"Prev.set.mac", "Vers.set.mac", "Scost.set.mac.", "Sc.set.mac.%"},
    {"Prev.lav.man.", "Vers.lav.man.", "Scost.lav.man.", "Sc.lav.man.%"},
    {"Prev.set.man.", "Vers.set.man.", "Scost.set.man.", "Sc.set.man.%"},
}};

// A figure's text as every output shows it (engine::FigureTextsOf: no plan,
// no planned time or percent), in the interface's locale.
QString Text(const engine::CategorySeconds& s, Figure figure, int16_t unit) {
  const engine::FigureTexts t = engine::FigureTextsOf(s.planned, s.booked, unit);
  switch (figure) {
    case Figure::Planned: return LocalFigure(t.planned);
    case Figure::Booked: return LocalFigure(t.booked);
    case Figure::Gap: return LocalFigure(t.gap);
    case Figure::GapPercent: return LocalFigure(t.percent);
    case Figure::Efficiency: return LocalFigure(engine::EfficiencyText(s.planned, s.booked));
  }
  return {};
}

double Key(const engine::CategorySeconds& s, Figure figure) {
  const double planned = s.planned.ToDecimal().ToDouble();
  const double booked = s.booked.ToDecimal().ToDouble();
  switch (figure) {
    case Figure::Planned: return planned;
    case Figure::Booked: return booked;
    case Figure::Gap: return booked - planned;
    case Figure::GapPercent: return planned == 0 ? std::nan("") : (booked / planned - 1) * 100;
    case Figure::Efficiency: return booked == 0 || planned == 0 ? std::nan("") : planned / booked * 100;
  }
  return std::nan("");
}

}  // namespace

int FigureSide(const engine::CategorySeconds& figures, double tolerance) {
  return engine::FiguresSide(figures.planned, figures.booked, tolerance);
}

std::vector<RecordSetModel::Column> FigureColumns(const FigureSource& source, int16_t unit,
                                                  const std::function<QString(const std::string&)>& translate) {
  std::vector<RecordSetModel::Column> columns;
  RecordSetModel::Column marker;
  marker.field = "FIG_MARK";
  marker.alignment = Qt::AlignCenter;
  marker.row_text = [source](const host::RecordSet& rs, size_t position, const host::Variant&) {
    const auto* f = source.figures(rs, position);
    return f == nullptr ? QString() : ToleranceSymbol(FigureSide((*f)[0], source.tolerance()));
  };
  marker.sort_key = [source](const host::RecordSet& rs, size_t position) {
    const auto* f = source.figures(rs, position);
    return f == nullptr ? std::nan("") : static_cast<double>(FigureSide((*f)[0], source.tolerance()));
  };
  marker.role_data = [source](const host::RecordSet& rs, size_t position, int role) -> QVariant {
    if (role != Qt::BackgroundRole && role != Qt::ForegroundRole) return {};
    const auto* f = source.figures(rs, position);
    if (f == nullptr) return {};
    const int side = FigureSide((*f)[0], source.tolerance());
    return role == Qt::BackgroundRole ? ToleranceBackground(side) : ToleranceForeground(side);
  };
  columns.push_back(std::move(marker));
  for (size_t c = 0; c < kCaptions.size(); ++c) {
    const std::string suffix(engine::kCategoryNames[c].suffix);
    const std::array<std::pair<Figure, std::string>, 5> figures{{{Figure::Planned, kCaptions[c].planned},
                                                                 {Figure::Booked, kCaptions[c].booked},
                                                                 {Figure::Gap, kCaptions[c].gap},
                                                                 {Figure::GapPercent, kCaptions[c].gap_percent},
                                                                 {Figure::Efficiency, "Efficienza %"}}};
    const char* const kFields[] = {"FIG_PREV", "FIG_VERS", "FIG_GAP", "FIG_GAPPERC", "FIG_EFF"};
    for (size_t i = 0; i < figures.size(); ++i) {
      const Figure figure = figures[i].first;
      if (figure == Figure::Efficiency && c != 0) continue;  // the total's only
      RecordSetModel::Column column;
      column.field = kFields[i] + suffix;
      column.caption = translate(figures[i].second);
      column.alignment = Qt::AlignRight | Qt::AlignVCenter;
      column.visible = c == 0;
      column.row_text = [source, c, figure, unit](const host::RecordSet& rs, size_t position, const host::Variant&) {
        const auto* f = source.figures(rs, position);
        return f == nullptr ? QString() : Text((*f)[c], figure, unit);
      };
      column.sort_key = [source, c, figure](const host::RecordSet& rs, size_t position) {
        const auto* f = source.figures(rs, position);
        return f == nullptr ? std::nan("") : Key((*f)[c], figure);
      };
      if (figure == Figure::GapPercent || figure == Figure::Gap) {
        column.role_data = [source, c](const host::RecordSet& rs, size_t position, int role) -> QVariant {
          if (role != Qt::BackgroundRole && role != Qt::ForegroundRole) return {};
          const auto* f = source.figures(rs, position);
          if (f == nullptr) return {};
          const int side = FigureSide((*f)[c], source.tolerance());
          return role == Qt::BackgroundRole ? ToleranceBackground(side) : ToleranceForeground(side);
        };
      }
      columns.push_back(std::move(column));
    }
  }
  return columns;
}

}  // namespace results_form
