// The packed node and element maps: every field survives storing, replacing
// keeps the enumeration order, and the large maps (direct index, chains
// linked late) enumerate exactly as the bucket rules say.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <list>
#include <map>
#include <random>
#include <vector>

#include "store/datapool.h"

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
  e.pointFlag = next();
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

bool SameBytes(const void* a, const void* b, size_t n) { return std::memcmp(a, b, n) == 0; }

// Field by field, so that a field the packed layout forgets shows by name.
void ExpectSameElement(const T_ELEM_D& a, const T_ELEM_D& b) {
  EXPECT_EQ(a.colour, b.colour);
  EXPECT_EQ(a.prop, b.prop);
  EXPECT_EQ(a.type, b.type);
  EXPECT_EQ(a.topo, b.topo);
  EXPECT_EQ(a.layer, b.layer);
  EXPECT_EQ(a.pointFlag, b.pointFlag);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(a.attr[i], b.attr[i]) << "attr " << i;
  for (int i = 0; i < 20; ++i) EXPECT_EQ(a.node[i], b.node[i]) << "node " << i;
  EXPECT_EQ(a.spare, b.spare);
  EXPECT_TRUE(SameBytes(a.orient, b.orient, sizeof a.orient));
  EXPECT_TRUE(SameBytes(a.orient2, b.orient2, sizeof a.orient2));
  EXPECT_TRUE(SameBytes(a.offI, b.offI, sizeof a.offI));
  EXPECT_TRUE(SameBytes(a.offJ, b.offJ, sizeof a.offJ));
  for (int i = 0; i < 12; ++i) EXPECT_EQ(a.release[i], b.release[i]) << "release " << i;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(a.spare2[i], b.spare2[i]) << "spare2 " << i;
  EXPECT_EQ(a.mat, b.mat);
  EXPECT_TRUE(SameBytes(&a.axial, &b.axial, 8));
  EXPECT_EQ(a.hinge, b.hinge);
  EXPECT_EQ(a.ext4, b.ext4);
  EXPECT_EQ(a.ext5, b.ext5);
  EXPECT_TRUE(SameBytes(&a.ext6, &b.ext6, 8));
  EXPECT_TRUE(SameBytes(&a.ext7, &b.ext7, 8));
}

void ExpectSameNode(const T_NODS_D& a, const T_NODS_D& b) {
  for (int i = 0; i < 4; ++i) EXPECT_EQ(a.attr[i], b.attr[i]) << "attr " << i;
  for (int i = 0; i < 6; ++i) EXPECT_EQ(a.cnst[i], b.cnst[i]) << "cnst " << i;
  EXPECT_TRUE(SameBytes(a.pos, b.pos, sizeof a.pos));
  EXPECT_TRUE(SameBytes(a.pos2, b.pos2, sizeof a.pos2));
  EXPECT_EQ(a.kind, b.kind);
}

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

TEST(CompactStore, StoringWhileEnumeratingReplacesInPlace) {
  // The beam adjustment's pattern: visit every element and store it back.
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
    e.pointFlag = 1;
    pool.elements.Store(id, e);
  }
  EXPECT_EQ(order, pool.elements.Keys());
  pool.elements.Enumerate([&](int32_t id, const T_ELEM_D& e) {
    EXPECT_EQ(id % 2 ? 1 : 0, e.pointFlag) << id;
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

}  // namespace
