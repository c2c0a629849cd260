// Loading and unloading of the message catalogue library, which exports
// LoadStr. Until it is loaded, and when loading fails half-way, every lookup
// gives the built-in fallback text.
#pragma once

namespace hvx {

class CMsgDll {
 public:
  virtual ~CMsgDll() = default;

  // The catalogue's file name, found through the platform's library search.
  static const char* DefaultName();
  // 1 when the catalogue is (already) loaded and has LoadStr; 0 otherwise.
  static int Load(const char* name = nullptr);
  // Frees the catalogue if loaded; always 1.
  static int Unload();
};

}  // namespace hvx
