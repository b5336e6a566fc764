// The time unit option of a run (`TipoTempo`), chosen in CMB_TIPOTEMPO.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace engine {

enum TipoTempo : int16_t {
  kOreMinutiSecondi = 0,  // "hh:mm:ss": whole hours, minutes, seconds; OMS texts
  kOreDecimali = 1,       // "hh,hh": hours with two decimals
  kMinutiDecimali = 2,    // "mm,mm": minutes with two decimals
  kSecondiDecimali = 3,   // "ss,ss": seconds with two decimals
};

inline constexpr std::array<std::string_view, 4> kTipoTempoCaptions{"hh:mm:ss", "hh,hh", "mm,mm", "ss,ss"};

// The option of a caption, or nullopt.
inline std::optional<TipoTempo> TipoTempoFromCaption(std::string_view caption) {
  for (size_t i = 0; i < kTipoTempoCaptions.size(); ++i) {
    if (kTipoTempoCaptions[i] == caption) return static_cast<TipoTempo>(i);
  }
  return std::nullopt;
}

}  // namespace engine
