// The T-SQL texts of the planned-time calculation, built by concatenation of
// the exact pieces: the phase row of a booking from the order's phase
// details or from the routing cycle (by bill of materials or by the
// article's default cycle), the workers of a phase, the phase rows by id of
// the group totals, the configuration-value queries and the order phase
// description. Values are written as the callers pass them (texts already
// without trailing blanks, numbers through ValoreNumerico); a text value has
// its quotes doubled here, since it stands between quotes.
#pragma once

#include <string>

namespace engine {

// Order source of a booking (phase details of its order line).
std::string OrderPhaseQuery(const std::string& company, const std::string& numreg, const std::string& order_row,
                            const std::string& department, const std::string& phase);
// Workers of an order phase (PD2B) and of a cycle phase (PD54).
std::string OrderWorkersQuery(const std::string& phase_id);
std::string CycleWorkersQuery(const std::string& cycle_id);
// Cycle source through the bill of materials found for the article.
std::string CycleByBomQuery(const std::string& company, const std::string& department, const std::string& phase,
                            const std::string& bom_id);
// Cycle source through the article's default cycle (version 0, no bill of materials).
std::string DefaultCycleQuery(const std::string& company, const std::string& department, const std::string& phase,
                              const std::string& cycle);
// The phase rows by id, for the group totals.
std::string OrderPhaseByIdQuery(const std::string& company, const std::string& phase_id);
std::string CyclePhaseByIdQuery(const std::string& company, const std::string& cycle_id);

// Configuration values and bills of materials.
std::string DropTempTableBatch(const std::string& name);
std::string CatvalCreateBatch();
std::string CommercialConfigurationQuery(const std::string& company, const std::string& article);
std::string ArticleTypeQuery(const std::string& company, const std::string& article);
std::string VariantSegmentsQuery(const std::string& company);
std::string CatvalConfigQuery(const std::string& company, const std::string& b_literal, const std::string& article,
                              const std::string& a_literal, const std::string& c_literal, const std::string& start,
                              const std::string& length);
std::string CatvalInsert(const std::string& code, const std::string& data_type, const std::string& text_literal,
                         const std::string& number_literal);
std::string ArticleBomManagementQuery(const std::string& company, const std::string& article);
std::string CompanyBomManagementQuery(const std::string& company);

// The order phase's own description (booking detail grid).
std::string OrderPhaseDescriptionQuery(const std::string& company, const std::string& numreg,
                                       const std::string& order_row, const std::string& phase);

}  // namespace engine
