#include "engine/form_services.h"

namespace engine {

host::Error CurrentError() {
  try {
    throw;
  } catch (const host::Error& e) {
    return e;
  } catch (const std::exception& e) {
    return {host::kErrInvalidArgument, e.what()};
  } catch (...) {
    return {host::kErrInvalidArgument, "Unknown error"};
  }
}

void ReportCurrentError(FormServices& form, std::string_view procedure) {
  form.GestioneErrore(procedure, CurrentError());
}

}  // namespace engine
