// Descriptions of codes for the query form's fields and the results form's
// label row, through the host's decode service. Every helper answers the
// empty text for a blank code without asking the service, and the empty text
// when the service does not find the code.
//
// DecodificaReparto, DecodificaFase, DecodificaDipendente and
// DecodificaMacchina report a failure under their own names; the order,
// project, node and article decodes suppress it.
#pragma once

#include <string>

#include "engine/form_services.h"
#include "host/services/decode_service.h"
#include "host/value/variant.h"

namespace engine {

std::string DecodificaReparto(FormServices& form, host::DecodeService& decode, const host::Variant& code);
std::string DecodificaFase(FormServices& form, host::DecodeService& decode, const host::Variant& code);
std::string DecodificaDipendente(FormServices& form, host::DecodeService& decode, const host::Variant& code);
std::string DecodificaMacchina(FormServices& form, host::DecodeService& decode, const host::Variant& code);
// Job order and sub-order (empty sub-order: 0).
std::string DecodificaCommessa(host::DecodeService& decode, const host::Variant& job_order,
                               const host::Variant& sub_order);
// Project and sub-project (empty: the project itself).
std::string DecodificaProgetto(host::DecodeService& decode, const host::Variant& project,
                               const host::Variant& sub_project);
std::string DecodificaNodo(host::DecodeService& decode, const host::Variant& project, const host::Variant& node);
std::string DecodificaArticolo(host::DecodeService& decode, const host::Variant& article, const host::Variant& option);
// Whether the order of section and number exists (document kinds 24 and 20).
bool DecodeDocumento(FormServices& form, host::DecodeService& decode, const host::Variant& section,
                     const host::Variant& number);

}  // namespace engine
