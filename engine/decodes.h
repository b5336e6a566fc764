// Descriptions of codes for the query form's fields and the results form's
// label row, through the host's decode service. Every helper answers the
// empty text for a blank code without asking the service, and the empty text
// when the service does not find the code.
//
// DecodificaReparto, DecodificaFase, DecodificaDipendente,
// DecodificaMacchina and DecodeDocumento answer a failure of the service as
// a failed status under their own names (with the empty text or false); the
// order, project, node and article decodes suppress it.
#pragma once

#include <string>

#include "host/value/status.h"
#include "host/services/decode_service.h"
#include "host/value/variant.h"

namespace engine {

host::Valued<std::string> DecodificaReparto(host::DecodeService& decode, const host::Variant& code);
host::Valued<std::string> DecodificaFase(host::DecodeService& decode, const host::Variant& code);
host::Valued<std::string> DecodificaDipendente(host::DecodeService& decode, const host::Variant& code);
host::Valued<std::string> DecodificaMacchina(host::DecodeService& decode, const host::Variant& code);
// Job order and sub-order (empty sub-order: 0).
std::string DecodificaCommessa(host::DecodeService& decode, const host::Variant& job_order,
                               const host::Variant& sub_order);
// Project and sub-project (empty: the project itself).
std::string DecodificaProgetto(host::DecodeService& decode, const host::Variant& project,
                               const host::Variant& sub_project);
std::string DecodificaNodo(host::DecodeService& decode, const host::Variant& project, const host::Variant& node);
std::string DecodificaArticolo(host::DecodeService& decode, const host::Variant& article, const host::Variant& option);
// Whether the order of section and number exists (document kinds 24 and 20).
host::Valued<bool> DecodeDocumento(host::DecodeService& decode, const host::Variant& section,
                                   const host::Variant& number);

}  // namespace engine
