#include "engine/decodes.h"

namespace engine {

using host::Variant;

namespace {

std::string Trimmed(const Variant& v) { return host::Trim(v.JoinedText()); }

template <typename Decode>
host::Valued<std::string> Answered(const char* procedure, const Variant& code, Decode decode) {
  try {
    const std::string text = Trimmed(code);
    if (text.empty()) return {};
    return {decode(text), {}};
  } catch (const std::exception&) {
    return {{}, host::Status::FailedHere(procedure)};
  }
}

template <typename Decode>
std::string Suppressed(Decode decode) {
  try {
    return decode();
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace

host::Valued<std::string> DecodificaReparto(host::DecodeService& decode, const Variant& code) {
  return Answered("DecodificaReparto", code, [&](const std::string& c) {
    return decode.DecodeReparto(c) == 0 ? decode.Description() : std::string();
  });
}

host::Valued<std::string> DecodificaFase(host::DecodeService& decode, const Variant& code) {
  return Answered("DecodificaFase", code, [&](const std::string& c) {
    return decode.DecodeFase(c) == 0 ? decode.Description() : std::string();
  });
}

host::Valued<std::string> DecodificaDipendente(host::DecodeService& decode, const Variant& code) {
  return Answered("DecodificaDipendente", code, [&](const std::string& c) {
    return decode.DecodeDipendente(c) == 0 ? decode.Surname() + " " + decode.Name() : std::string();
  });
}

host::Valued<std::string> DecodificaMacchina(host::DecodeService& decode, const Variant& code) {
  return Answered("DecodificaMacchina", code, [&](const std::string& c) {
    return decode.DecodeMacchina(c) == 0 ? decode.Description() : std::string();
  });
}

std::string DecodificaCommessa(host::DecodeService& decode, const Variant& job_order, const Variant& sub_order) {
  return Suppressed([&] {
    const std::string job = Trimmed(job_order);
    if (job.empty()) return std::string();
    const std::string sub = Trimmed(sub_order);
    const int16_t sub_number = sub.empty() ? int16_t{0} : Variant(sub).ToInt16();
    return decode.DecodeCommessa(job, sub_number) == 0 ? std::string() + decode.Description() : std::string();
  });
}

std::string DecodificaProgetto(host::DecodeService& decode, const Variant& project, const Variant& sub_project) {
  return Suppressed([&] {
    const std::string p = Trimmed(project);
    if (p.empty()) return std::string();
    return decode.DecodeProgetto(p, Trimmed(sub_project)) == 0 ? decode.Description() : std::string();
  });
}

std::string DecodificaNodo(host::DecodeService& decode, const Variant& project, const Variant& node) {
  return Suppressed([&] {
    const std::string n = Trimmed(node);
    if (n.empty()) return std::string();
    return decode.DecodeNodo(Trimmed(project), n) == 0 ? decode.Description() : std::string();
  });
}

std::string DecodificaArticolo(host::DecodeService& decode, const Variant& article, const Variant& option) {
  return Suppressed([&] {
    const std::string a = Trimmed(article);
    if (a.empty()) return std::string();
    return decode.DecodeArticolo(a, Trimmed(option)) == 0 ? decode.Description() : std::string();
  });
}

host::Valued<bool> DecodeDocumento(host::DecodeService& decode, const Variant& section, const Variant& number) {
  try {
    if (Trimmed(section).empty() || Trimmed(number).empty()) return {false, {}};
    return {decode.DecodeDocumento(Trimmed(section), Trimmed(number), 24, 20) == 0, {}};
  } catch (const std::exception&) {
    return {false, host::Status::FailedHere("DecodeDocumento")};
  }
}

}  // namespace engine
