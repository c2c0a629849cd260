// Benchmark model generator: writes a Halvex model file with N nodes and N
// elements (beams, trusses, plates and solids in fixed proportions), a few
// hundred materials and properties, load-case options, load sets with nodal,
// beam and pressure loads, supports and groups. The same size and seed always
// give the same bytes.
//
//   usage: hvx_genmodel N [SEED] > model.hvt
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// splitmix64: small, fast and the same on every platform.
class CRandom {
 public:
  explicit CRandom(uint64_t seed) : m_state(seed) {}
  uint64_t Next() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // Uniform in [0, n).
  int64_t Below(int64_t n) { return static_cast<int64_t>(Next() % static_cast<uint64_t>(n)); }
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

 private:
  uint64_t m_state;
};

// Output gathered in a large buffer and written in pieces.
class COut {
 public:
  ~COut() { Flush(); }
  void Str(const char* s) { Raw(s, std::strlen(s)); }
  void Raw(const char* s, size_t n) {
    if (m_buf.size() + n > kFlush) Flush();
    m_buf.append(s, n);
  }
  void Int(long long v) {
    char b[24];
    const auto r = std::to_chars(b, b + sizeof b, v);
    Raw(b, static_cast<size_t>(r.ptr - b));
  }
  // A real as model files write it: integral values with a trailing point
  // ("0.", "12."), others with up to `digits` significant digits.
  void Real(double v, int digits = 10) {
    char b[40];
    if (v == static_cast<double>(static_cast<long long>(v)) && v > -1e15 && v < 1e15) {
      const auto r = std::to_chars(b, b + sizeof b, static_cast<long long>(v));
      *r.ptr = '.';
      Raw(b, static_cast<size_t>(r.ptr + 1 - b));
      return;
    }
    const auto r = std::to_chars(b, b + sizeof b, v, std::chars_format::general, digits);
    Raw(b, static_cast<size_t>(r.ptr - b));
  }
  void C() { Raw(",", 1); }
  void NL() { Raw("\n", 1); }
  // A line of n copies of text separated by commas.
  void Repeat(const char* text, int n) {
    for (int i = 0; i < n; ++i) {
      if (i) C();
      Str(text);
    }
    NL();
  }
  void Ints(std::initializer_list<long long> v) {
    bool first = true;
    for (long long x : v) {
      if (!first) C();
      first = false;
      Int(x);
    }
    NL();
  }
  void BlockStart(int number) {
    Str("   -1\n");
    Int(number);
    NL();
  }
  void BlockEnd() { Str("   -1\n"); }
  void Flush() {
    if (!m_buf.empty()) std::fwrite(m_buf.data(), 1, m_buf.size(), stdout);
    m_buf.clear();
  }

 private:
  static constexpr size_t kFlush = 1 << 20;
  std::string m_buf;
};

constexpr int kMaterials = 200;
constexpr int kProperties = 300;
constexpr int kLoadSets = 4;
constexpr int kGroups = 10;

// Property numbers by element family.
constexpr int kBeamProps = 150;   // 1..150: beam sections (type 2, some 5)
constexpr int kTrussProps = 20;   // 151..170: truss sections (type 1)
constexpr int kPlateProps = 110;  // 171..280: plate thicknesses (type 17, some 11)
                                  // 281..300: solids (type 25)

enum Family { kBeam, kTruss, kPlate, kSolid };

struct Model {
  int64_t n = 0;
  int nx = 100, ny = 50;
  std::vector<int32_t> beams, plates;  // element numbers by family, for loads
};

void Header(COut& o, const Model& m) {
  o.BlockStart(100);
  o.Str("Benchmark model with ");
  o.Int(m.n);
  o.Str(" nodes and elements\n8.3\n1,2\n");
  o.BlockEnd();
  o.BlockStart(900);
  o.Str("123456,123,9.806,0,0\n");
  o.Repeat("0", 17);
  o.BlockEnd();
}

void Materials(COut& o, CRandom& rnd) {
  o.BlockStart(601);
  for (int id = 1; id <= kMaterials; ++id) {
    o.Ints({id, 0, 0, 0, 0, 0, 0});
    o.Str(id % 3 ? "STEEL " : "CONCRETE ");
    o.Int(id);
    o.NL();
    o.Str("10\n");
    o.Repeat("0", 10);
    o.Str("25\n");
    o.Repeat("0", 10);
    o.Repeat("0", 10);
    o.Repeat("0", 5);
    o.Str("200\n");
    const double e = id % 3 ? 2.05e8 : 2.5e7 + 1000.0 * static_cast<double>(rnd.Below(5000));
    for (int line = 0; line < 20; ++line) {
      for (int k = 0; k < 10; ++k) {
        if (k) o.C();
        const int entry = line * 10 + k + 1;
        double v = 0.0;
        if (entry == 1) v = e;
        else if (entry == 4) v = e / 2.6;
        else if (entry == 7) v = id % 3 ? 0.3 : 0.167;
        else if (entry == 37) v = 1.2e-05;
        else if (entry == 50) v = id % 3 ? 7.85 : 2.45;
        o.Real(v);
      }
      o.NL();
    }
    o.Str("50\n");
    for (int line = 0; line < 5; ++line) o.Repeat("0", 10);
    o.Str("70\n");
    for (int line = 0; line < 7; ++line) o.Repeat("0", 10);
  }
  o.BlockEnd();
}

void Properties(COut& o, CRandom& rnd) {
  o.BlockStart(402);
  for (int id = 1; id <= kProperties; ++id) {
    int type;
    const char* name;
    if (id <= kBeamProps) {
      type = id % 10 == 0 ? 5 : 2;
      name = "BEAM SECTION ";
    } else if (id <= kBeamProps + kTrussProps) {
      type = 1;
      name = "TRUSS SECTION ";
    } else if (id <= kBeamProps + kTrussProps + kPlateProps) {
      type = id % 5 == 0 ? 11 : 17;
      name = "PLATE ";
    } else {
      type = 25;
      name = "SOLID ";
    }
    o.Ints({id, 110, 1 + id % kMaterials, type, 1, 0});
    o.Str(name);
    o.Int(id);
    o.NL();
    o.Str("0,0,0,0\n90\n");
    for (int line = 0; line < 9; ++line) o.Repeat("0", 10);
    o.Str("190\n");
    const double a = 0.001 * static_cast<double>(1 + rnd.Below(9999));
    for (int line = 0; line < 19; ++line) {
      for (int k = 0; k < 10; ++k) {
        if (k) o.C();
        const int entry = line * 10 + k + 1;
        double v = 0.0;
        if (entry == 1) v = type >= 11 ? 0.1 + 0.01 * static_cast<double>(id % 30) : a;
        else if (entry == 2 || entry == 3) v = a * a / 12.0;
        else if (entry == 5) v = a * a / 6.0;
        else if (entry == 6 || entry == 7) v = a * 0.8333333333;
        o.Real(v);
      }
      o.NL();
    }
    o.Str("0\n0\n");
  }
  o.BlockEnd();
}

void Nodes(COut& o, CRandom& rnd, const Model& m) {
  o.BlockStart(403);
  for (int64_t id = 1; id <= m.n; ++id) {
    const int64_t k = id - 1;
    double x = 0.5 * static_cast<double>(k % m.nx);
    double y = 0.75 * static_cast<double>((k / m.nx) % m.ny);
    double z = 3.2 * static_cast<double>(k / (m.nx * m.ny));
    // A quarter of the nodes sit off the grid and carry long digit strings.
    if (rnd.Below(4) == 0) {
      x += 0.001 + 0.1 * rnd.Unit();
      y -= 0.001 + 0.1 * rnd.Unit();
    }
    const bool base = k < m.nx * m.ny && k % 7 == 0;
    o.Int(id);
    o.Str(base ? ",0,0,0,46,1,1,1,1,1,1," : ",0,0,0,46,0,0,0,0,0,0,");
    o.Real(x);
    o.C();
    o.Real(y);
    o.C();
    o.Real(z);
    o.Str(",0\n");
  }
  o.BlockEnd();
}

void Elements(COut& o, CRandom& rnd, Model& m) {
  o.BlockStart(404);
  const int64_t layer = static_cast<int64_t>(m.nx) * m.ny;
  auto node = [&](int64_t base, int64_t off) { return (base + off) % m.n + 1; };
  for (int64_t id = 1; id <= m.n; ++id) {
    const int64_t r = rnd.Below(100);
    const Family fam = r < 40 ? kBeam : r < 45 ? kTruss : r < 80 ? kPlate : kSolid;
    // Meshers number elements along with the nodes they join, so an element's
    // nodes lie near the sweep position; one beam or truss in ten is a
    // bracing member between far-apart nodes.
    int64_t base = (id - 1 + rnd.Below(3)) % m.n;
    if (fam <= kTruss && rnd.Below(10) == 0) base = rnd.Below(m.n);
    int64_t nodes[20] = {};
    int type = 0, topo = 0, prop = 0;
    switch (fam) {
      case kBeam:
        type = 2;
        prop = 1 + static_cast<int>(rnd.Below(kBeamProps));
        nodes[0] = node(base, 0);
        nodes[1] = node(base, 1);
        m.beams.push_back(static_cast<int32_t>(id));
        break;
      case kTruss:
        type = 1;
        prop = kBeamProps + 1 + static_cast<int>(rnd.Below(kTrussProps));
        nodes[0] = node(base, 0);
        nodes[1] = node(base, m.nx);
        break;
      case kPlate: {
        prop = kBeamProps + kTrussProps + 1 + static_cast<int>(rnd.Below(kPlateProps));
        type = prop % 5 == 0 ? 11 : 17;
        const bool tri = rnd.Below(10) == 0;
        topo = tri ? 2 : 4;
        nodes[0] = node(base, 0);
        nodes[1] = node(base, 1);
        nodes[2] = node(base, 1 + m.nx);
        if (!tri) nodes[3] = node(base, m.nx);
        m.plates.push_back(static_cast<int32_t>(id));
        break;
      }
      case kSolid: {
        type = 25;
        prop = kBeamProps + kTrussProps + kPlateProps + 1 +
               static_cast<int>(rnd.Below(kProperties - kBeamProps - kTrussProps - kPlateProps));
        const int64_t s = rnd.Below(10);
        const int64_t corner[8] = {0, 1, 1 + m.nx, m.nx, layer, layer + 1, layer + 1 + m.nx, layer + m.nx};
        if (s == 0) {  // tetrahedron: corners in slots 1, 2, 3 and 5
          topo = 6;
          nodes[0] = node(base, corner[0]);
          nodes[1] = node(base, corner[1]);
          nodes[2] = node(base, corner[2]);
          nodes[4] = node(base, corner[4]);
        } else if (s == 1) {  // wedge: slots 1, 2, 3, 5, 6, 7
          topo = 7;
          nodes[0] = node(base, corner[0]);
          nodes[1] = node(base, corner[1]);
          nodes[2] = node(base, corner[2]);
          nodes[4] = node(base, corner[4]);
          nodes[5] = node(base, corner[5]);
          nodes[6] = node(base, corner[6]);
        } else {
          topo = 8;
          for (int i = 0; i < 8; ++i) nodes[i] = node(base, corner[i]);
        }
        break;
      }
    }
    // Line A
    o.Ints({id, 124, prop, type, topo, 1, 0, 0, 0, 0, 0, 0, 0});
    // Lines B and C
    for (int line = 0; line < 2; ++line) {
      for (int i = 0; i < 10; ++i) {
        if (i) o.C();
        o.Int(nodes[line * 10 + i]);
      }
      o.NL();
    }
    // Line D: orientation of beams and trusses
    if (fam == kBeam)
      o.Str(rnd.Below(3) == 0 ? "1.,0.,0.\n" : "0.,0.,1.\n");
    else
      o.Str("0.,0.,0.\n");
    // Lines E and F: a few beams have end offsets
    if (fam == kBeam && rnd.Below(33) == 0) {
      o.Str("0.,0.,-0.25\n0.,0.,-0.25\n");
    } else {
      o.Str("0.,0.,0.\n0.,0.,0.\n");
    }
    // Line G: a few beams have end releases
    if (fam == kBeam && rnd.Below(20) == 0)
      o.Str("0,0,0,0,1,1,0,0,0,0,1,1\n");
    else
      o.Str("0,0,0,0,0,0,0,0,0,0,0,0\n");
    // Line H: material and extension values
    o.Int(1 + rnd.Below(kMaterials));
    o.Str(",0.,0,3,0,0.,0.\n");
  }
  o.BlockEnd();
}

void Supports(COut& o, const Model& m) {
  o.BlockStart(506);
  o.Str("1\nSUPPORTS\n");
  const int64_t last = std::min<int64_t>(m.n, static_cast<int64_t>(m.nx) * m.ny);
  for (int64_t k = 0; k < last; k += 7) {
    o.Int(k + 1);
    o.Str(",1,1,1,1,1,1,1\n");
  }
  o.Str("-1\n-1\n");
  o.BlockEnd();
}

void CaseOptions(COut& o) {
  o.BlockStart(901);
  for (int id = 1; id <= 3; ++id) {
    o.Int(id);
    o.NL();
    o.Str("3,0,0,0,0,0,0,0,0,0\n0,0,0,0,0,0\n");
  }
  o.BlockEnd();
}

// One structural load entry: head line and its six lines (read mode 1 layout).
void StructuralLoad(COut& o, int64_t target, int kind, int dir, const double val[4]) {
  o.Ints({target, kind, 0, 0, 0, 0, 0, 0, 1});
  o.Ints({dir, 0, 0});
  for (int i = 0; i < 4; ++i) {
    o.Real(val[i]);
    o.C();
  }
  o.Str("0.\n0,0,0,0,0\n0,0,0,0\n0,0,0\n0.,0.,0.\n");
}

void LoadSets(COut& o, CRandom& rnd, const Model& m) {
  static const char* const kTitles[kLoadSets] = {"DEAD", "LIVE", "WIND X", "SNOW"};
  o.BlockStart(507);
  for (int set = 1; set <= kLoadSets; ++set) {
    o.Int(set);
    o.NL();
    o.Str(kTitles[set - 1]);
    o.NL();
    o.Str("0,0.,0,0,0,0,0.\n");
    o.Str(set == 1 ? "0.,0.,-1.\n" : "0.,0.,0.\n");
    o.Str("0.,0.,0.\n0.,0.,0.\n0.,0.,0.\n");
    o.Str("0.,0.,0.,0\n0.,0.,0.,0.\n0.,0.,0.,0.\n0,0,0\n0,0,0\n0.,0.,0.,0.\n0.,0.,0.\n");
    o.Repeat("0.", 10);
    o.Repeat("0.", 12);
    o.Repeat("0", 10);
    o.Repeat("0", 13);
    o.Repeat("0", 7);
    o.Repeat("0", 9);
    o.Str("0,0,0,0,0,0,0,0,0,");
    o.Int(1 + (set - 1) % 3);
    o.NL();
    // Nodal forces and moments
    for (int64_t i = 0; i < m.n / 100; ++i) {
      const double v[4] = {0.0, 0.0, -0.5 * static_cast<double>(1 + rnd.Below(40)), 0.0};
      StructuralLoad(o, 1 + rnd.Below(m.n), 1, 0, v);
    }
    for (int64_t i = 0; i < m.n / 400; ++i) {
      const double v[4] = {0.125 * static_cast<double>(rnd.Below(16)), 0.0, 1.5, 0.0};
      StructuralLoad(o, 1 + rnd.Below(m.n), 2, 0, v);
    }
    // Beam loads: distributed and concentrated
    for (int64_t i = 0; i < m.n / 200 && !m.beams.empty(); ++i) {
      const bool dist = rnd.Below(2) == 0;
      const double v[4] = {0.0, -2.5 - rnd.Unit(), dist ? 1.0 : 0.0, dist ? -2.5 : 0.0};
      StructuralLoad(o, m.beams[static_cast<size_t>(rnd.Below(static_cast<int64_t>(m.beams.size())))], 41,
                     3 + static_cast<int>(rnd.Below(4)), v);
    }
    // Face pressures on plates
    for (int64_t i = 0; i < m.n / 200 && !m.plates.empty(); ++i) {
      const double p = -1.0 - 0.25 * static_cast<double>(rnd.Below(8));
      const double v[4] = {p, p, p, p};
      StructuralLoad(o, m.plates[static_cast<size_t>(rnd.Below(static_cast<int64_t>(m.plates.size())))], 42,
                     0, v);
    }
    o.Str("-1\n-1\n-1\n-1\n");
  }
  o.BlockEnd();
}

void Groups(COut& o, const Model& m) {
  o.BlockStart(408);
  const int64_t span = std::max<int64_t>(1, m.n / 20);
  for (int g = 1; g <= kGroups; ++g) {
    o.Ints({g, 0, 0});
    o.Str("FLOOR ");
    o.Int(g);
    o.NL();
    o.Str("0,0,0,0.05,0.,0.\n0,0,0,0,0.,0.\n0,0\n");
    for (int t = 0; t < 6; ++t) o.Str("0,0\n0.,0.,0.\n0.,0.,0.\n");
    o.Str("2\n17\n");
    const int64_t first = std::min<int64_t>(m.n, 1 + (g - 1) * span);
    o.Ints({first, std::min<int64_t>(m.n, first + span - 1), 1, 1});
    o.Str("-1\n21\n");
    o.Ints({first, std::min<int64_t>(m.n, first + span - 1), 1, 1});
    o.Str("-1\n-1\n0\n-1\n");
  }
  o.BlockEnd();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: hvx_genmodel N [SEED] > model.hvt\n");
    return 1;
  }
  Model m;
  m.n = std::atoll(argv[1]);
  if (m.n < 1 || m.n > 100000000) {
    std::fprintf(stderr, "hvx_genmodel: N must be between 1 and 100000000\n");
    return 1;
  }
  CRandom rnd(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 20240601);
  if (m.n < 10000) m.nx = m.ny = 10;  // small models: a 10 x 10 grid per level
  COut o;
  Header(o, m);
  if (m.n == 1) {  // the smallest model: one node, nothing else
    o.BlockStart(403);
    o.Str("1,0,0,0,46,0,0,0,0,0,0,0.,0.,0.,0\n");
    o.BlockEnd();
    return 0;
  }
  Materials(o, rnd);
  Properties(o, rnd);
  Nodes(o, rnd, m);
  Elements(o, rnd, m);
  Supports(o, m);
  CaseOptions(o);
  LoadSets(o, rnd, m);
  Groups(o, m);
  o.Flush();
  return std::ferror(stdout) ? 1 : 0;
}
