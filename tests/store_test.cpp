// The data pool's maps: the hash, enumeration in bucket order (the output's
// order of records depends on it) for small and large maps before and after
// their indexes take over, every field of the packed node and element records
// surviving storing and replacing in place, and the packed size.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <limits>
#include <list>
#include <map>
#include <random>
#include <vector>

#include "store/datapool.h"

using namespace hvx;

namespace {

// Fills every field of an element with a value of its own, from seed.
T_ELEM_D FullElement(int32_t seed) {
  T_ELEM_D e;
  uint32_t v = static_cast<uint32_t>(seed);
  auto next = [&] { return static_cast<int32_t>(v = v * 2654435761u + 12345u); };  // distinct, any sign and size
  for (int32_t* f : {&e.colour, &e.prop, &e.type, &e.topo, &e.layer, &e.spare, &e.mat, &e.hinge, &e.ext4, &e.ext5})
    *f = next();
  for (int32_t& a : e.attr) a = next();
  for (int32_t& n : e.node) n = next();
  for (int32_t& r : e.release) r = next();
  for (int32_t& s : e.spare2) s = next();
  for (int i = 0; i < 3; ++i) {
    e.orient[i] = next() * 0.5;
    e.orient2[i] = next() * -0.25;
    e.offI[i] = next() * 1e-300;
    e.offJ[i] = next() * 1e300;
  }
  e.axial = next() / 3.0;
  e.ext6 = -0.0;
  e.ext7 = std::numeric_limits<double>::denorm_min();
  return e;
}

// Every field of a record in one list, doubles by their bits (so that -0.0
// and NaN count), for one comparison of whole records.
int64_t Bits(int32_t i) { return i; }
int64_t Bits(double d) { return std::bit_cast<int64_t>(d); }
template <class... A>
void Put(std::vector<int64_t>& v, const A&... arrays) {
  const auto one = [&](const auto& arr) {
    for (auto x : arr) v.push_back(Bits(x));
  };
  (one(arrays), ...);
}
std::vector<int64_t> Fields(const T_ELEM_D& e) {
  std::vector<int64_t> v = {e.colour, e.prop, e.type, e.topo, e.layer, e.spare, e.mat, e.hinge, e.ext4, e.ext5};
  Put(v, e.attr, e.node, e.release, e.spare2, e.orient, e.orient2, e.offI, e.offJ,
      std::array<double, 3>{e.axial, e.ext6, e.ext7});
  return v;
}
std::vector<int64_t> Fields(const T_NODS_D& n) {
  std::vector<int64_t> v = {n.kind};
  Put(v, n.attr, n.cnst, n.pos, n.pos2);
  return v;
}

TEST(CompactStore, EveryFieldRoundTrips) {
  std::vector<T_ELEM_D> elems = {T_ELEM_D{}, T_ELEM_D{}};  // defaults (ext4 = 3), and ext4 set to zero
  elems[1].ext4 = 0;
  for (int32_t s : {1, -5, 1000, 123456789}) elems.push_back(FullElement(s));
  T_ELEM_D& x = elems.emplace_back(FullElement(9));
  x.node[0] = INT32_MIN;
  x.node[1] = INT32_MAX;
  x.node[19] = -1;
  x.orient[1] = 0.0;  // a vector with a zero component is kept whole
  x.offI[0] = std::numeric_limits<double>::quiet_NaN();
  x.offJ[2] = -std::numeric_limits<double>::infinity();
  const T_NODS_D b{.attr = {-1000, -2000, -3000, -4000}, .cnst = {0, 1, 0, 1, 0, 1}, .pos = {1.5, -0.0, 1e-310},
                   .pos2 = {1.5, -0.0, 1e-310}, .kind = 7};  // the usual twin copy of the position
  std::vector<T_NODS_D> nodes = {T_NODS_D{}, b, b, b};
  nodes[2].pos2[1] = 0.0;                       // differs from pos only in the sign of zero
  for (double& p : nodes[3].pos) p = 0.0;       // second copy without the first
  CDataPool pool;
  for (size_t i = 0; i < elems.size(); ++i) pool.elements.Store(static_cast<int32_t>(i) - 2, elems[i]);
  for (size_t i = 0; i < nodes.size(); ++i) pool.nodes.Store(static_cast<int32_t>(i) + 1, nodes[i]);
  for (size_t i = 0; i < elems.size(); ++i) {
    T_ELEM_D got = FullElement(77);  // overwritten completely
    ASSERT_TRUE(pool.elements.Lookup(static_cast<int32_t>(i) - 2, got));
    EXPECT_EQ(Fields(elems[i]), Fields(got)) << "element " << i;
  }
  for (size_t i = 0; i < nodes.size(); ++i) {
    T_NODS_D got = b;
    got.kind = 99;
    ASSERT_TRUE(pool.nodes.Lookup(static_cast<int32_t>(i) + 1, got));
    EXPECT_EQ(Fields(nodes[i]), Fields(got)) << "node " << i;
  }
  T_NODS_D untouched = b;  // a failed look-up leaves the record alone
  EXPECT_FALSE(pool.nodes.Lookup(5, untouched));
  EXPECT_EQ(Fields(b), Fields(untouched));
}

TEST(CompactStore, ReplacingGrowsAndShrinksInPlace) {
  // A record stored again under its number (a repeated line of a block, or an
  // update while walking the map) keeps its place, in a packed map too.
  CDataPool pool;
  for (int32_t k = 1; k <= 3000; ++k) pool.elements.Store(k, T_ELEM_D{});
  const std::vector<int32_t> order = pool.elements.Keys();
  for (int32_t k : order) pool.elements.Store(k, FullElement(k));  // grows: moves it in storage
  for (int32_t k = 1; k <= 3000; k += 3) pool.elements.Store(k, T_ELEM_D{});
  EXPECT_EQ(order, pool.elements.Keys());
  EXPECT_EQ(3000u, pool.elements.Count());
  pool.elements.Enumerate([](int32_t k, const T_ELEM_D& e) {
    ASSERT_EQ(Fields(k % 3 == 1 ? T_ELEM_D{} : FullElement(k)), Fields(e)) << k;
  });
}

TEST(CompactStore, ElementsTakeFarLessThanTheirRecord) {
  // A beam and a hexahedron as the model files hold them, and a node.
  const T_ELEM_D beam{.colour = 124, .prop = 77, .type = 2, .layer = 1, .node = {512345, 512346}, .orient = {0, 0, 1},
                      .mat = 150};
  T_ELEM_D hex = beam;
  hex.type = 25;
  hex.topo = 8;
  for (int i = 0; i < 8; ++i) hex.node[i] = 500000 + 1000 * i;
  hex.orient[2] = 0.0;
  const T_NODS_D node{.attr = {0, 0, 0, 46}, .pos = {12.5, -3.25, 96.0}, .pos2 = {12.5, -3.25, 96.0}};
  uint8_t buf[1024];
  EXPECT_LE(hvx::ElementCodec::Pack(beam, buf), 56u);
  EXPECT_LE(hvx::ElementCodec::Pack(hex, buf), 56u);
  EXPECT_LE(hvx::NodeCodec::Pack(node, buf), 32u);
}

TEST(HashNumber, IsTheMinimalStandardStep) {
  // k * 16807 modulo 2^31 - 1, as a non-negative residue, for any number.
  std::mt19937 rng(3);
  std::vector<int32_t> keys = {0, 1, -1, 127772, 127773, -127773, INT32_MIN, INT32_MAX, INT32_MAX - 1};
  for (int i = 0; i < 100000; ++i) keys.push_back(static_cast<int32_t>(rng()));
  for (int32_t k : keys) {
    const int64_t m = 2147483647;
    EXPECT_EQ(static_cast<uint32_t>((int64_t{k} * 16807 % m + m) % m), hvx::HashNumber(k)) << k;
  }
}

// The enumeration order the bucket rules give, worked out independently:
// buckets in ascending index, each a list with the most recently added number
// first; a number stored again keeps its place.
class CChainModel {
 public:
  explicit CChainModel(uint32_t buckets) : m_buckets(buckets) {}
  void Store(int32_t k) {
    auto& chain = m_chains[hvx::HashNumber(k) % m_buckets];
    if (std::find(chain.begin(), chain.end(), k) == chain.end()) chain.push_front(k);
  }
  std::vector<int32_t> Order() const {
    std::vector<int32_t> out;
    for (const auto& [b, chain] : m_chains) out.insert(out.end(), chain.begin(), chain.end());
    return out;
  }

 private:
  uint32_t m_buckets;
  std::map<uint32_t, std::list<int32_t>> m_chains;
};

// Stores seq into map (record i carrying i through field), checking Keys
// against the model on the way (small maps switch to a number index after
// four records per bucket; large ones link their chains when first needed),
// then enumeration, selected enumeration, sorting and look-ups.
template <class Rec, class Codec>
void ExpectBucketRules(CHashMap<Rec, Codec>& map, uint32_t buckets, const std::vector<int32_t>& seq,
                       int32_t Rec::*field) {
  CChainModel model(buckets);
  std::map<int32_t, int32_t> last;  // number -> index of the record stored last
  for (size_t i = 0; i < seq.size(); ++i) {
    Rec r;
    r.*field = static_cast<int32_t>(i);
    map.Store(seq[i], r);
    model.Store(seq[i]);
    last[seq[i]] = static_cast<int32_t>(i);
    if (i == seq.size() / 64 || i == seq.size() / 2) {
      ASSERT_EQ(model.Order(), map.Keys()) << "after " << i;
    }
  }
  ASSERT_EQ(last.size(), map.Count());
  std::vector<int32_t> want = model.Order(), visited, selected, odd, sorted;
  EXPECT_EQ(want, map.Keys());
  map.Enumerate([&](int32_t k, const Rec& r) {
    visited.push_back(k);
    EXPECT_EQ(last[k], r.*field) << k;
  });
  EXPECT_EQ(want, visited);
  for (int32_t k : want)
    if (last[k] % 3 == 1) odd.push_back(k);
  map.EnumerateSelected([&](int32_t, const Rec& r) { return r.*field % 3 == 1; },
                        [&](int32_t k, const Rec&) { selected.push_back(k); });
  EXPECT_EQ(odd, selected);  // the same order, whatever is left out
  for (const auto& [k, i] : last) sorted.push_back(k);
  EXPECT_EQ(sorted, map.SortedKeys());
  for (const std::vector<int32_t>* walk : {&want, &sorted}) {  // look-ups in enumeration and in sorted order
    for (int32_t k : *walk) {
      Rec got;
      ASSERT_TRUE(map.Lookup(k, got)) << k;
      EXPECT_EQ(last[k], got.*field) << k;
    }
  }
  for (int32_t k : {0, -1, -101, 30000, 39999999, 2000000001, INT32_MAX, INT32_MIN + 7})
    EXPECT_EQ(last.count(k) != 0, map.Contains(k)) << k;
}

TEST(Maps, EnumerateByTheBucketRules) {
  std::mt19937 rng(2024);
  std::vector<int32_t> dense, descending, sparse, mixed, small;
  for (int32_t k = 1; k <= 40000; ++k) dense.push_back(k);
  descending.assign(dense.rbegin(), dense.rend());
  for (int i = 0; i < 3000; ++i) sparse.push_back(static_cast<int32_t>(rng() % 2000000000u) * ((i % 5) ? 1 : -1));
  for (int i = 0; i < 30000; ++i) {  // repeats, negatives, far numbers
    const uint32_t r = rng() % 10;
    mixed.push_back(r < 6 ? static_cast<int32_t>(rng() % 50000) - 100
                          : r < 8 ? -static_cast<int32_t>(rng() % 100) : static_cast<int32_t>(rng()));
  }
  small = {5, 106, 1, 2, 3, 60, 5, 207, 1};  // 5, 106 and 207 share a bucket of 101
  for (const std::vector<int32_t>* seq : {&dense, &descending, &sparse, &mixed, &small}) {
    SCOPED_TRACE(std::to_string(seq->size()) + " numbers from " + std::to_string(seq->front()));
    CDataPool pool;
    ExpectBucketRules(pool.nodes, 1000001, *seq, &T_NODS_D::kind);
    ExpectBucketRules(pool.caseOptions, 101, *seq, &T_LCOP_D::caseType);
    if (seq->size() > 10000) continue;  // the records of these maps are large
    ExpectBucketRules(pool.loads, 101, *seq, &T_LOAD_D::lcop);
    ExpectBucketRules(pool.initForces, 1001, *seq, &T_INFC_D::kind);
  }
}

TEST(Maps, FindOrCreateFindsOrAddsAtItsChainsHead) {
  CDataPool pool;
  CChainModel model(101);
  for (int32_t k : {5, 106, 7}) {
    pool.caseOptions.Store(k, T_LCOP_D{});
    model.Store(k);
  }
  pool.caseOptions.FindOrCreate(106).caseType = -1;
  EXPECT_EQ(-1, pool.caseOptions.Find(106)->caseType);
  EXPECT_EQ(0, pool.caseOptions.FindOrCreate(207).caseType);
  model.Store(207);
  EXPECT_EQ(model.Order(), pool.caseOptions.Keys());
  EXPECT_EQ(4u, pool.caseOptions.Count());
  EXPECT_EQ(nullptr, pool.caseOptions.Find(8));
}

}  // namespace
