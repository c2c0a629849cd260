// The data pool's maps: the hash, the exact enumeration order of the small
// maps, every field of the packed node and element records surviving storing,
// replacing in place, and the large maps (direct index, chains linked late)
// enumerating exactly as the bucket rules say.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
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
  e.colour = next();
  e.prop = next();
  e.type = next();
  e.topo = next();
  e.layer = next();
  for (int32_t& a : e.attr) a = next();
  for (int32_t& n : e.node) n = next();
  e.spare = next();
  for (int i = 0; i < 3; ++i) {
    e.orient[i] = next() * 0.5;
    e.orient2[i] = next() * -0.25;
    e.offI[i] = next() * 1e-300;
    e.offJ[i] = next() * 1e300;
  }
  for (int32_t& r : e.release) r = next();
  for (int32_t& s : e.spare2) s = next();
  e.mat = next();
  e.axial = next() / 3.0;
  e.hinge = next();
  e.ext4 = next();
  e.ext5 = next();
  e.ext6 = -0.0;
  e.ext7 = std::numeric_limits<double>::denorm_min();
  return e;
}

int64_t Bits(double d) {
  int64_t b;
  std::memcpy(&b, &d, sizeof b);
  return b;
}

// Every field of a record in one list, doubles by their bits (so that -0.0
// and NaN count), for one comparison of whole records.
template <class... A>
void Put(std::vector<int64_t>& v, const A&... arrays) {
  auto one = [&](const auto& arr) {
    for (auto x : arr) v.push_back(std::is_floating_point_v<decltype(x)> ? Bits(x) : static_cast<int64_t>(x));
  };
  (one(arrays), ...);
}
std::vector<int64_t> Fields(const T_ELEM_D& e) {
  std::vector<int64_t> v = {e.colour, e.prop, e.type, e.topo, e.layer, e.spare, e.mat, e.hinge, e.ext4, e.ext5};
  Put(v, e.attr, e.node, e.release, e.spare2, e.orient, e.orient2, e.offI, e.offJ);
  Put(v, std::array<double, 3>{e.axial, e.ext6, e.ext7});
  return v;
}
std::vector<int64_t> Fields(const T_NODS_D& n) {
  std::vector<int64_t> v = {n.kind};
  Put(v, n.attr, n.cnst, n.pos, n.pos2);
  return v;
}
void ExpectSameElement(const T_ELEM_D& a, const T_ELEM_D& b) { EXPECT_EQ(Fields(a), Fields(b)); }
void ExpectSameNode(const T_NODS_D& a, const T_NODS_D& b) { EXPECT_EQ(Fields(a), Fields(b)); }

TEST(CompactStore, EveryElementFieldRoundTrips) {
  CDataPool pool;
  std::vector<T_ELEM_D> recs;
  recs.push_back(T_ELEM_D{});  // all defaults (ext4 = 3)
  T_ELEM_D zeroExt = T_ELEM_D{};
  zeroExt.ext4 = 0;  // a default that differs from zero, set to zero
  recs.push_back(zeroExt);
  for (int32_t s : {1, -5, 1000, 123456789}) recs.push_back(FullElement(s));
  T_ELEM_D extremes = FullElement(9);
  extremes.node[0] = INT32_MIN;
  extremes.node[1] = INT32_MAX;
  extremes.node[19] = -1;
  extremes.orient[1] = 0.0;  // a vector with a zero component is kept whole
  extremes.offI[0] = std::numeric_limits<double>::quiet_NaN();
  extremes.offJ[2] = -std::numeric_limits<double>::infinity();
  recs.push_back(extremes);
  for (size_t i = 0; i < recs.size(); ++i) pool.elements.Store(static_cast<int32_t>(i) - 2, recs[i]);
  for (size_t i = 0; i < recs.size(); ++i) {
    T_ELEM_D got = FullElement(77);  // overwritten completely
    ASSERT_TRUE(pool.elements.Lookup(static_cast<int32_t>(i) - 2, got));
    SCOPED_TRACE(i);
    ExpectSameElement(recs[i], got);
  }
}

TEST(CompactStore, EveryNodeFieldRoundTrips) {
  CDataPool pool;
  T_NODS_D a;  // defaults
  T_NODS_D b;
  for (int i = 0; i < 4; ++i) b.attr[i] = -1000 * (i + 1);
  for (int i = 0; i < 6; ++i) b.cnst[i] = i % 2;
  b.pos[0] = 1.5;
  b.pos[1] = -0.0;
  b.pos[2] = 1e-310;
  for (int i = 0; i < 3; ++i) b.pos2[i] = b.pos[i];  // the usual twin copy
  b.kind = 7;
  T_NODS_D c = b;
  c.pos2[1] = 0.0;  // differs from pos only in the sign of zero
  T_NODS_D d = b;
  for (double& x : d.pos) x = 0.0;  // second copy without the first
  T_NODS_D recs[] = {a, b, c, d};
  for (int i = 0; i < 4; ++i) pool.nodes.Store(i + 1, recs[i]);
  for (int i = 0; i < 4; ++i) {
    T_NODS_D got = b;
    got.kind = 99;
    ASSERT_TRUE(pool.nodes.Lookup(i + 1, got));
    SCOPED_TRACE(i);
    ExpectSameNode(recs[i], got);
  }
  T_NODS_D untouched = b;
  EXPECT_FALSE(pool.nodes.Lookup(5, untouched));
  ExpectSameNode(b, untouched);
}

TEST(CompactStore, ReplacingGrowsAndShrinksInPlaceOrder) {
  CDataPool pool;
  for (int32_t k = 1; k <= 50; ++k) pool.elements.Store(k, T_ELEM_D{});
  const std::vector<int32_t> order = pool.elements.Keys();
  // Grow every record (moves it in storage), then shrink some back.
  for (int32_t k = 1; k <= 50; ++k) pool.elements.Store(k, FullElement(k));
  for (int32_t k = 1; k <= 50; k += 3) pool.elements.Store(k, T_ELEM_D{});
  EXPECT_EQ(order, pool.elements.Keys());
  EXPECT_EQ(50u, pool.elements.Count());
  T_ELEM_D got;
  for (int32_t k = 1; k <= 50; ++k) {
    ASSERT_TRUE(pool.elements.Lookup(k, got));
    SCOPED_TRACE(k);
    ExpectSameElement(k % 3 == 1 ? T_ELEM_D{} : FullElement(k), got);
  }
}

// The enumeration order the bucket rules give, worked out independently: per
// bucket a list with the most recently added number first.
class CChainModel {
 public:
  explicit CChainModel(uint32_t buckets) : m_buckets(buckets) {}
  void Store(int32_t k) {
    const uint32_t b = hvx::HashNumber(k) % m_buckets;
    auto& chain = m_chains[b];
    for (int32_t x : chain)
      if (x == k) return;
    chain.push_front(k);
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

// Stores key sequences of every kind into the large maps and checks
// enumeration, look-up and sorting against the model, also when the chains
// are needed in the middle (a negative number) and after replacing.
TEST(CompactStore, LargeMapsEnumerateByTheBucketRules) {
  std::mt19937 rng(2024);
  std::vector<std::vector<int32_t>> sequences;
  std::vector<int32_t> dense, descending, sparse, mixed;
  for (int32_t k = 1; k <= 40000; ++k) dense.push_back(k);
  for (int32_t k = 40000; k >= 1; --k) descending.push_back(k);
  for (int i = 0; i < 3000; ++i) sparse.push_back(static_cast<int32_t>(rng() % 2000000000u) * ((i % 5) ? 1 : -1));
  for (int i = 0; i < 30000; ++i) {
    const uint32_t r = rng() % 10;
    mixed.push_back(r < 6 ? static_cast<int32_t>(rng() % 50000)
                          : r < 8 ? -static_cast<int32_t>(rng() % 100)
                                  : static_cast<int32_t>(rng()) );  // repeats, negatives, far numbers
  }
  sequences = {dense, descending, sparse, mixed};
  for (const auto& seq : sequences) {
    CDataPool pool;
    CChainModel model(1000001);
    std::map<int32_t, int32_t> last;  // number -> seed of the record stored last
    for (size_t i = 0; i < seq.size(); ++i) {
      T_NODS_D n;
      n.pos[0] = static_cast<double>(i);
      n.kind = static_cast<int32_t>(i);
      pool.nodes.Store(seq[i], n);
      model.Store(seq[i]);
      last[seq[i]] = static_cast<int32_t>(i);
      if (i == seq.size() / 2) {  // chains needed half way
        EXPECT_EQ(model.Order(), pool.nodes.Keys());
        EXPECT_FALSE(pool.nodes.Contains(INT32_MIN + 7));
      }
    }
    ASSERT_EQ(last.size(), pool.nodes.Count());
    const std::vector<int32_t> want = model.Order();
    EXPECT_EQ(want, pool.nodes.Keys());
    std::vector<int32_t> visited;
    pool.nodes.Enumerate([&](int32_t k, const T_NODS_D& n) {
      visited.push_back(k);
      EXPECT_EQ(last[k], n.kind) << k;
    });
    EXPECT_EQ(want, visited);
    // A selected enumeration keeps the same order, whatever it leaves out.
    std::vector<int32_t> odd, selected;
    for (int32_t k : want)
      if (last[k] % 3 == 1) odd.push_back(k);
    pool.nodes.EnumerateSelected([](int32_t, const T_NODS_D& n) { return n.kind % 3 == 1; },
                                 [&](int32_t k, const T_NODS_D&) { selected.push_back(k); });
    EXPECT_EQ(odd, selected);
    std::vector<int32_t> sorted;
    for (const auto& [k, seed] : last) sorted.push_back(k);
    EXPECT_EQ(sorted, pool.nodes.SortedKeys());
    // Look-ups in enumeration order (a Keys() walk) and in sorted order.
    T_NODS_D got;
    for (int32_t k : want) {
      ASSERT_TRUE(pool.nodes.Lookup(k, got)) << k;
      EXPECT_EQ(last[k], got.kind);
    }
    for (int32_t k : sorted) {
      ASSERT_TRUE(pool.nodes.Lookup(k, got)) << k;
      EXPECT_EQ(static_cast<double>(last[k]), got.pos[0]);
    }
    for (int32_t k : {0, -1, 39999999, 2000000001})
      EXPECT_EQ(last.count(k) != 0, pool.nodes.Contains(k)) << k;
  }
}

// A small map (fixed bucket count) holding far more records than buckets
// finds them by number instead of walking its chains; the enumeration order,
// replacing in place and look-ups stay as the bucket rules say, before and
// after the number index takes over, and repeated numbers stay single.
TEST(Maps, SmallMapsWithManyRecordsKeepTheBucketRules) {
  std::mt19937 rng(7);
  CDataPool pool;
  CChainModel model(101);
  std::map<int32_t, int32_t> last;
  for (int i = 0; i < 20000; ++i) {
    const uint32_t r = rng() % 10;
    const int32_t k = r < 6 ? static_cast<int32_t>(rng() % 30000) - 100 : r < 9 ? i : static_cast<int32_t>(rng());
    T_LCOP_D o;
    o.caseType = i;
    pool.caseOptions.Store(k, o);
    model.Store(k);
    last[k] = i;
    if (i == 300 || i == 5000) {
      EXPECT_EQ(model.Order(), pool.caseOptions.Keys()) << i;
    }
  }
  ASSERT_EQ(last.size(), pool.caseOptions.Count());
  EXPECT_EQ(model.Order(), pool.caseOptions.Keys());
  for (const auto& [k, seed] : last) {
    const T_LCOP_D* o = pool.caseOptions.Find(k);
    ASSERT_NE(nullptr, o) << k;
    EXPECT_EQ(seed, o->caseType) << k;
  }
  for (int32_t k : {-101, 30000, 2147483647, INT32_MIN})
    EXPECT_EQ(last.count(k) != 0, pool.caseOptions.Contains(k)) << k;
  // FindOrCreate finds what is there and adds what is not, at its chain's head.
  pool.caseOptions.FindOrCreate(last.begin()->first).caseType = -1;
  EXPECT_EQ(-1, pool.caseOptions.Find(last.begin()->first)->caseType);
  const int32_t added = 2147483646;
  ASSERT_EQ(0u, last.count(added));
  pool.caseOptions.FindOrCreate(added);
  model.Store(added);
  EXPECT_EQ(model.Order(), pool.caseOptions.Keys());
}

TEST(CompactStore, StoringWhileEnumeratingReplacesInPlace) {
  // A record stored again under its number (a repeated line of a block) keeps its place.
  CDataPool pool;
  for (int32_t k = 1; k <= 3000; ++k) {
    T_ELEM_D e;
    e.type = k % 2 ? 2 : 25;
    e.orient[2] = 1.0;
    pool.elements.Store(k, e);
  }
  const std::vector<int32_t> order = pool.elements.Keys();
  for (int32_t id : order) {
    T_ELEM_D e;
    ASSERT_TRUE(pool.elements.Lookup(id, e));
    if (e.type != 2) continue;
    e.orient[0] += id;
    e.layer = 1;
    pool.elements.Store(id, e);
  }
  EXPECT_EQ(order, pool.elements.Keys());
  pool.elements.Enumerate([&](int32_t id, const T_ELEM_D& e) {
    EXPECT_EQ(id % 2 ? 1 : 0, e.layer) << id;
    EXPECT_EQ(id % 2 ? static_cast<double>(id) : 0.0, e.orient[0]) << id;
  });
}

TEST(CompactStore, ElementsTakeFarLessThanTheirRecord) {
  // A beam and a hexahedron as the model files hold them.
  T_ELEM_D beam;
  beam.colour = 124;
  beam.prop = 77;
  beam.type = 2;
  beam.layer = 1;
  beam.mat = 150;
  beam.node[0] = 512345;
  beam.node[1] = 512346;
  beam.orient[2] = 1.0;
  T_ELEM_D hex = beam;
  hex.type = 25;
  hex.topo = 8;
  for (int i = 0; i < 8; ++i) hex.node[i] = 500000 + 1000 * i;
  hex.orient[2] = 0.0;
  uint8_t buf[1024];
  EXPECT_LE(hvx::ElementCodec::Pack(beam, buf), 56u);
  EXPECT_LE(hvx::ElementCodec::Pack(hex, buf), 56u);
  T_NODS_D node;
  node.attr[3] = 46;
  node.pos[0] = 12.5;
  node.pos[1] = -3.25;
  node.pos[2] = 96.0;
  for (int i = 0; i < 3; ++i) node.pos2[i] = node.pos[i];
  EXPECT_LE(hvx::NodeCodec::Pack(node, buf), 32u);
}

template <class Map>
std::vector<int32_t> Order(const Map& m) {
  std::vector<int32_t> keys;
  m.Enumerate([&](int32_t k, const auto&) { keys.push_back(k); });
  EXPECT_EQ(keys, m.Keys());
  return keys;
}

TEST(HashNumber, MinimalStandardStep) {
  EXPECT_EQ(16807u, hvx::HashNumber(1));
  EXPECT_EQ(16807u * 127772u, hvx::HashNumber(127772));
  EXPECT_EQ(2147480811u, hvx::HashNumber(127773));  // 16807*0 - 2836*1 + (2^31 - 1)
  // Negative numbers and the extremes stay in range.
  for (int32_t k : {-1, -127773, INT32_MIN, INT32_MAX, 0}) EXPECT_LT(hvx::HashNumber(k), 2147483648u) << k;
}

TEST(Enumeration, BucketOrderAndChains) {
  CDataPool pool;
  for (int32_t k : {1, 2, 3}) pool.materials.Store(k, T_MATL601_D{});
  EXPECT_EQ((std::vector<int32_t>{3, 1, 2}), Order(pool.materials));

  CDataPool p2;
  for (int32_t k = 1; k <= 10; ++k) p2.loads.Store(k, T_LOAD_D{});
  EXPECT_EQ((std::vector<int32_t>{5, 10, 3, 8, 1, 6, 4, 9, 2, 7}), Order(p2.loads));
  for (int32_t k = 1; k <= 10; ++k) p2.groups.Store(k, T_GRUP_D{});
  EXPECT_EQ((std::vector<int32_t>{9, 4, 8, 3, 7, 2, 6, 1, 10, 5}), Order(p2.groups));

  for (int32_t k : {1, 2, 3, 60}) p2.nodes.Store(k, T_NODS_D{});
  EXPECT_EQ((std::vector<int32_t>{60, 1, 2, 3}), Order(p2.nodes));

  // 5 and 106 share bucket 3: the later number heads the chain.
  p2.caseOptions.Store(5, T_LCOP_D{});
  p2.caseOptions.Store(106, T_LCOP_D{});
  EXPECT_EQ((std::vector<int32_t>{106, 5}), Order(p2.caseOptions));
  // Only the selected, in the same order.
  std::vector<int32_t> picked;
  p2.loads.EnumerateSelected([](int32_t k, const T_LOAD_D&) { return k % 2 == 0; },
                             [&](int32_t k, const T_LOAD_D&) { picked.push_back(k); });
  EXPECT_EQ((std::vector<int32_t>{10, 8, 6, 4, 2}), picked);
  // Replacing keeps the place and replaces the whole record.
  T_LCOP_D o;
  o.caseType = 3;
  p2.caseOptions.Store(5, o);
  EXPECT_EQ((std::vector<int32_t>{106, 5}), Order(p2.caseOptions));
  T_LCOP_D got;
  ASSERT_TRUE(p2.caseOptions.Lookup(5, got));
  EXPECT_EQ(3, got.caseType);
  EXPECT_EQ(2u, p2.caseOptions.Count());
}

TEST(Maps, LookupAndFindOrCreate) {
  CDataPool pool;
  T_ELEM_D e;
  e.type = 7;
  EXPECT_FALSE(pool.elements.Lookup(1, e));
  EXPECT_EQ(7, e.type);  // a failed look-up leaves the record untouched
  T_MATL601_D& m = pool.materials.FindOrCreate(4);
  EXPECT_EQ(0, m.head[2]);
  m.value[36] = 1.2e-5;
  T_MATL601_D copy;
  ASSERT_TRUE(pool.materials.Lookup(4, copy));
  EXPECT_EQ(1.2e-5, copy.value[36]);
  EXPECT_EQ(1u, pool.materials.Count());
}

}  // namespace
