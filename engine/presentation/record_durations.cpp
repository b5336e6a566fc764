#include "engine/presentation/record_durations.h"

#include "engine/time_unit.h"

namespace engine {

using host::Variant;

RecordDurations::RecordDurations(const host::RecordSet& records, int16_t unit) : unit_(unit), fields_(records) {
  for (size_t i = 0; i < records.FieldCount(); ++i) {
    const std::string& name = records.Field(i).name;
    FieldRole role;
    const bool booked_text = name.rfind("OMSVERS", 0) == 0;
    const bool gap = name.rfind("GAP", 0) == 0 && name.rfind("GAPPERC", 0) != 0;
    if (booked_text || gap) {
      const std::string suffix = name.substr(booked_text ? 7 : 3);
      for (size_t c = 0; c < kCategoryNames.size(); ++c) {
        if (kCategoryNames[c].suffix == suffix) role = {booked_text ? Kind::kBookedText : Kind::kGap, c};
      }
    }
    roles_.push_back(role);
  }
}

const std::vector<std::string>& RecordDurations::SecondsNames() {
  static const std::vector<std::string> kNames = [] {
    std::vector<std::string> names;
    for (const auto& category : kCategoryNames) {
      const std::string suffix(category.suffix);
      names.push_back("PREV_SEC" + suffix);
      names.push_back("VERS_SEC" + suffix);
      names.push_back("GAP_SEC" + suffix);
    }
    return names;
  }();
  return kNames;
}

void RecordDurations::Load(const host::RecordSet& records) {
  values_.resize(records.FieldCount());
  for (size_t i = 0; i < values_.size(); ++i) records.ValueInto(i, values_[i]);
  WorkOutFigures();
}

void RecordDurations::LoadAt(const host::RecordSet& records, size_t position) {
  values_.resize(records.FieldCount());
  for (size_t i = 0; i < values_.size(); ++i) values_[i] = records.ValueAt(position, i);
  WorkOutFigures();
}

void RecordDurations::WorkOutFigures() {
  for (size_t c = 0; c < kCategoryNames.size(); ++c) {
    const CategorySeconds seconds = SecondsOf(values_, fields_, c, unit_);
    const host::Decimal planned = seconds.planned.ToDecimal();
    const host::Decimal booked = seconds.booked.ToDecimal();
    figures_[c * 3] = planned.Normalized();
    figures_[c * 3 + 1] = booked.Normalized();
    figures_[c * 3 + 2] = (booked - planned).Normalized();
  }
}

Variant RecordDurations::Seconds(size_t k) const { return figures_.at(k); }

const Variant& RecordDurations::Shown(size_t field) const {
  const Variant& v = values_.at(field);
  const FieldRole role = roles_[field];
  if (role.kind == Kind::kPlain) return v;
  // Blank: nothing, or only spaces (looked at in place: 14 fields a record).
  const bool blank = v.IsNull() || v.IsEmpty() ||
                     (v.IsText() ? v.Text().find_first_not_of(' ') == std::string::npos : host::Trim(v.JoinedText()).empty());
  if (!blank) return v;
  if (figures_[role.category * 3].IsZero() && figures_[role.category * 3 + 1].IsZero()) return v;
  const Variant planned = figures_[role.category * 3];
  const Variant booked = figures_[role.category * 3 + 1];
  if (role.kind == Kind::kBookedText) {
    if (unit_ != kOreMinutiSecondi) return v;
    shown_ = TimeText(booked, unit_);
  } else if (unit_ == kOreMinutiSecondi) {
    shown_ = GapText(planned, booked, unit_);
  } else {
    shown_ = *host::Decimal::Parse(GapText(planned, booked, unit_));
  }
  return shown_;
}

}  // namespace engine
