// Number conversions of the C library in the "C" locale on the calling
// thread, whatever locale the process (or a host program) set. POSIX systems
// switch the thread's locale with uselocale where they convert; the Windows C
// runtime has no uselocale, so there this guard makes the thread's locale its
// own for the conversion and puts back what was there.
#pragma once

#if defined(_WIN32)
#include <clocale>
#include <cstring>
#include <locale.h>
#include <string>

namespace hvx {

class CThreadCLocale {
 public:
  CThreadCLocale() : m_mode(_configthreadlocale(_ENABLE_PER_THREAD_LOCALE)) {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    if (current && std::strcmp(current, "C") != 0) {
      m_saved = current;
      std::setlocale(LC_NUMERIC, "C");
    }
  }
  ~CThreadCLocale() {
    if (!m_saved.empty()) std::setlocale(LC_NUMERIC, m_saved.c_str());
    if (m_mode != -1) _configthreadlocale(m_mode);
  }
  CThreadCLocale(const CThreadCLocale&) = delete;
  CThreadCLocale& operator=(const CThreadCLocale&) = delete;

 private:
  int m_mode;
  std::string m_saved;
};

}  // namespace hvx
#endif
