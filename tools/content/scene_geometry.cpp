#include "content/scene_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

// Snap to 1/4096 so the stored bytes do not hang on the last bit of a maths library.
float Snap(double v) { return static_cast<float>(std::nearbyint(v * 4096.0) / 4096.0); }

float Frac(double v) {
  const double f = v - std::floor(v);
  return Snap(f >= 1.0 ? 0.0 : f);
}

uint16_t Add(TdsMesh* m, double x, double y, double z, double u, double v) {
  m->vertices.push_back({Snap(x), Snap(y), Snap(z)});
  m->uvs.push_back({Frac(u), Frac(v)});
  return static_cast<uint16_t>(m->vertices.size() - 1);
}

void Tri(TdsMesh* m, int a, int b, int c) {
  m->faces.push_back({static_cast<uint16_t>(a), static_cast<uint16_t>(b), static_cast<uint16_t>(c)});
}

// Quad a-b-c-d counter-clockwise seen from outside.
void Quad(TdsMesh* m, int a, int b, int c, int d) {
  Tri(m, a, b, c);
  Tri(m, a, c, d);
}

// A closed grid: `rows` rings of `cols` vertices (vertex r*cols+c), both directions wrapping
// when asked. Ring r+1 lies counter-clockwise-ahead of ring r for outward faces.
void WrapGrid(TdsMesh* m, int base, int rows, int cols, bool wrapRows) {
  const int rowEnd = wrapRows ? rows : rows - 1;
  for (int r = 0; r < rowEnd; ++r) {
    const int r1 = (r + 1) % rows;
    for (int c = 0; c < cols; ++c) {
      const int c1 = (c + 1) % cols;
      Quad(m, base + r * cols + c, base + r1 * cols + c, base + r1 * cols + c1, base + r * cols + c1);
    }
  }
}

TdsVec3 Sub(TdsVec3 a, TdsVec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
TdsVec3 Cross(TdsVec3 a, TdsVec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Flat-shaded solid from a vertex list and triangles; each face gets its own corners and a
// planar mapping along its dominant axis, scaled so that no face spans half the texture
// (the renderer's wrapped interpolation would take the short way round).
TdsMesh FlatSolid(const std::vector<TdsVec3>& p, const std::vector<std::array<int, 3>>& tris) {
  float extent = 0;
  for (const TdsVec3& q : p) extent = std::max({extent, std::fabs(q.x), std::fabs(q.y), std::fabs(q.z)});
  const double scale = extent > 0 ? 0.22 / extent : 1.0;
  TdsMesh m;
  for (const auto& t : tris) {
    const TdsVec3 n = Cross(Sub(p[t[1]], p[t[0]]), Sub(p[t[2]], p[t[0]]));
    const float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    const int base = static_cast<int>(m.vertices.size());
    for (int k = 0; k < 3; ++k) {
      const TdsVec3 q = p[t[k]];
      double u, v;
      if (az >= ax && az >= ay) {
        u = q.x, v = q.y;
      } else if (ax >= ay) {
        u = q.y, v = q.z;
      } else {
        u = q.x, v = q.z;
      }
      Add(&m, q.x, q.y, q.z, u * scale + 0.5, v * scale + 0.5);
    }
    Tri(&m, base, base + 1, base + 2);
  }
  return m;
}

}  // namespace

Xf Xf::Translate(TdsVec3 v) {
  Xf x;
  x.t = v;
  return x;
}

Xf Xf::Scale(float sx, float sy, float sz) {
  Xf x;
  x.m[0][0] = sx;
  x.m[1][1] = sy;
  x.m[2][2] = sz;
  return x;
}

Xf Xf::RotateX(float a) {
  Xf x;
  const float c = std::cos(a), s = std::sin(a);
  x.m[1][1] = c, x.m[1][2] = -s, x.m[2][1] = s, x.m[2][2] = c;
  return x;
}

Xf Xf::RotateY(float a) {
  Xf x;
  const float c = std::cos(a), s = std::sin(a);
  x.m[0][0] = c, x.m[0][2] = s, x.m[2][0] = -s, x.m[2][2] = c;
  return x;
}

Xf Xf::RotateZ(float a) {
  Xf x;
  const float c = std::cos(a), s = std::sin(a);
  x.m[0][0] = c, x.m[0][1] = -s, x.m[1][0] = s, x.m[1][1] = c;
  return x;
}

Xf Xf::operator*(const Xf& o) const {
  Xf r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
  }
  r.t = Apply(o.t);
  return r;
}

TdsVec3 Xf::Apply(TdsVec3 p) const {
  return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + t.x, m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + t.y,
          m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + t.z};
}

void AppendMesh(TdsMesh* dst, const TdsMesh& src, const Xf& xf) {
  const double det = xf.m[0][0] * (xf.m[1][1] * xf.m[2][2] - xf.m[1][2] * xf.m[2][1]) -
                     xf.m[0][1] * (xf.m[1][0] * xf.m[2][2] - xf.m[1][2] * xf.m[2][0]) +
                     xf.m[0][2] * (xf.m[1][0] * xf.m[2][1] - xf.m[1][1] * xf.m[2][0]);
  const int base = static_cast<int>(dst->vertices.size());
  for (size_t i = 0; i < src.vertices.size(); ++i) {
    const TdsVec3 p = xf.Apply(src.vertices[i]);
    dst->vertices.push_back({Snap(p.x), Snap(p.y), Snap(p.z)});
    dst->uvs.push_back(i < src.uvs.size() ? src.uvs[i] : std::array<float, 2>{0, 0});
  }
  for (const auto& f : src.faces) {
    if (det < 0)
      Tri(dst, base + f[0], base + f[2], base + f[1]);
    else
      Tri(dst, base + f[0], base + f[1], base + f[2]);
  }
}

TdsMesh MakeTorus(float R, float r, int segments, int sides, int uRepeat, int vRepeat) {
  TdsMesh m;
  for (int i = 0; i < segments; ++i) {
    const double a = 2 * kPi * i / segments;
    for (int j = 0; j < sides; ++j) {
      const double b = 2 * kPi * j / sides;
      const double rr = R + r * std::cos(b);
      Add(&m, rr * std::cos(a), rr * std::sin(a), r * std::sin(b), double(uRepeat) * i / segments,
          double(vRepeat) * j / sides);
    }
  }
  WrapGrid(&m, 0, segments, sides, true);
  return m;
}

TdsMesh MakeBand(float R, float w, float h, int segments, int uRepeat) {
  // Cross-section: an octagon-ish bevelled rectangle, walked counter-clockwise in (radial, z).
  const double bev = 0.3 * std::fmin(w, h);
  const double prof[8][2] = {{w, -h + bev}, {w, h - bev}, {w - bev, h},  {-w + bev, h},
                             {-w, h - bev}, {-w, -h + bev}, {-w + bev, -h}, {w - bev, -h}};
  TdsMesh m;
  for (int i = 0; i < segments; ++i) {
    const double a = 2 * kPi * i / segments;
    for (int j = 0; j < 8; ++j) {
      const double rr = R + prof[j][0];
      Add(&m, rr * std::cos(a), rr * std::sin(a), prof[j][1], double(uRepeat) * i / segments, j / 8.0);
    }
  }
  WrapGrid(&m, 0, segments, 8, true);
  return m;
}

TdsMesh MakeTorusKnot(int p, int q, float R, float swing, float tube, int segments, int sides) {
  auto centre = [&](double s) {
    const double a = p * s, b = q * s;
    const double rr = R + swing * std::cos(b);
    return std::array<double, 3>{rr * std::cos(a), rr * std::sin(a), swing * std::sin(b)};
  };
  TdsMesh m;
  for (int i = 0; i < segments; ++i) {
    const double s = 2 * kPi * i / segments, ds = 2 * kPi / segments * 0.5;
    const auto c = centre(s), c0 = centre(s - ds), c1 = centre(s + ds);
    double tx = c1[0] - c0[0], ty = c1[1] - c0[1], tz = c1[2] - c0[2];
    double tl = std::sqrt(tx * tx + ty * ty + tz * tz);
    tx /= tl, ty /= tl, tz /= tl;
    // Frame from the direction towards the knot's axis: smooth and closes on itself.
    double nx = -c[0], ny = -c[1], nz = 0;
    const double d = nx * tx + ny * ty + nz * tz;
    nx -= d * tx, ny -= d * ty, nz -= d * tz;
    const double nl = std::sqrt(nx * nx + ny * ny + nz * nz);
    nx /= nl, ny /= nl, nz /= nl;
    const double bx = ty * nz - tz * ny, by = tz * nx - tx * nz, bz = tx * ny - ty * nx;
    for (int j = 0; j < sides; ++j) {
      const double b = 2 * kPi * j / sides;
      const double cb = std::cos(b), sb = std::sin(b);
      Add(&m, c[0] + tube * (cb * nx + sb * bx), c[1] + tube * (cb * ny + sb * by), c[2] + tube * (cb * nz + sb * bz),
          8.0 * i / segments, double(j) / sides);
    }
  }
  WrapGrid(&m, 0, segments, sides, true);
  // The frame may turn either way round the tube; make the faces point out.
  if (SignedVolume(m) < 0) {
    for (auto& f : m.faces) std::swap(f[1], f[2]);
  }
  return m;
}

TdsMesh MakeSphere(float r, int slices, int stacks, int uRepeat, int vRepeat) {
  TdsMesh m;
  // Rings first (vertex k * slices + i for ring k + 1), then one pole vertex per slice so
  // that each pole triangle keeps its own mapping.
  for (int k = 1; k < stacks; ++k) {
    const double lat = -kPi / 2 + kPi * k / stacks;
    for (int i = 0; i < slices; ++i) {
      const double lon = 2 * kPi * i / slices;
      Add(&m, r * std::cos(lat) * std::cos(lon), r * std::cos(lat) * std::sin(lon), r * std::sin(lat),
          double(uRepeat) * i / slices, double(vRepeat) * k / stacks);
    }
  }
  const int top = (stacks - 2) * slices;
  for (int i = 0; i < slices; ++i) {
    const double u = double(uRepeat) * (i + 0.5) / slices;
    const int south = Add(&m, 0, 0, -r, u, 0);
    Tri(&m, south, (i + 1) % slices, i);
    const int north = Add(&m, 0, 0, r, u, double(vRepeat) * (stacks - 0.5) / stacks);
    Tri(&m, north, top + i, top + (i + 1) % slices);
  }
  for (int k = 0; k + 1 < stacks - 1; ++k) {
    for (int i = 0; i < slices; ++i) {
      const int i1 = (i + 1) % slices;
      Quad(&m, k * slices + i, k * slices + i1, (k + 1) * slices + i1, (k + 1) * slices + i);
    }
  }
  return m;
}

TdsMesh MakeBox(TdsVec3 h) {
  TdsMesh m;
  // Each face: centre axis and two in-plane axes whose cross product points out; a 4 x 4
  // grid mapped once across the face, so no triangle spans half the texture.
  const float faces[6][9] = {{1, 0, 0, 0, 1, 0, 0, 0, 1},  {-1, 0, 0, 0, -1, 0, 0, 0, 1}, {0, 1, 0, -1, 0, 0, 0, 0, 1},
                             {0, -1, 0, 1, 0, 0, 0, 0, 1}, {0, 0, 1, 1, 0, 0, 0, 1, 0},  {0, 0, -1, 1, 0, 0, 0, -1, 0}};
  constexpr int kCells = 4;
  for (const auto& f : faces) {
    const int base = static_cast<int>(m.vertices.size());
    for (int j = 0; j <= kCells; ++j) {
      for (int i = 0; i <= kCells; ++i) {
        const double a = 2.0 * i / kCells - 1, b = 2.0 * j / kCells - 1;
        const double x = f[0] + f[3] * a + f[6] * b, y = f[1] + f[4] * a + f[7] * b, z = f[2] + f[5] * a + f[8] * b;
        Add(&m, x * h.x, y * h.y, z * h.z, double(i) / kCells, double(j) / kCells);
      }
    }
    for (int j = 0; j < kCells; ++j) {
      for (int i = 0; i < kCells; ++i) {
        const int a = base + j * (kCells + 1) + i;
        Quad(&m, a, a + 1, a + kCells + 2, a + kCells + 1);
      }
    }
  }
  return m;
}

TdsMesh MakeStarPrism(int points, float outer, float inner, float h, float b) {
  const int n = points * 2;
  std::vector<std::array<double, 2>> outline;
  for (int i = 0; i < n; ++i) {
    const double a = kPi / 2 + 2 * kPi * i / n;
    const double rr = (i % 2 == 0) ? outer : inner;
    outline.push_back({rr * std::cos(a), rr * std::sin(a)});
  }
  // Rings from back to front: back rim, back bevel edge, front bevel edge, front rim. The
  // sides map along the outline (u) and the depth (v); the caps get their own vertices
  // (a hard edge at the rim) and a planar mapping.
  const double shrink = 1.0 - b / outer * 1.6;
  const double rings[4][3] = {{-h, shrink, 0.0}, {-h + b, 1.0, 0.2}, {h - b, 1.0, 0.6}, {h, shrink, 0.8}};
  TdsMesh m;
  for (const auto& ring : rings) {
    for (int i = 0; i < n; ++i)
      Add(&m, outline[i][0] * ring[1], outline[i][1] * ring[1], ring[0], 4.0 * i / n, ring[2]);
  }
  for (int r = 0; r < 3; ++r) {
    for (int i = 0; i < n; ++i) {
      const int i1 = (i + 1) % n;
      Quad(&m, r * n + i, r * n + i1, (r + 1) * n + i1, (r + 1) * n + i);
    }
  }
  for (int cap = 0; cap < 2; ++cap) {
    const double z = cap ? h : -h;
    const int centre = Add(&m, 0, 0, z, 0.5, 0.5);
    const int rim = static_cast<int>(m.vertices.size());
    for (int i = 0; i < n; ++i) {
      const double x = outline[i][0] * shrink, y = outline[i][1] * shrink;
      Add(&m, x, y, z, 0.5 + 0.45 * x / outer, 0.5 + 0.45 * y / outer);
    }
    for (int i = 0; i < n; ++i) {
      const int i1 = (i + 1) % n;
      if (cap)
        Tri(&m, centre, rim + i, rim + i1);
      else
        Tri(&m, centre, rim + i1, rim + i);
    }
  }
  return m;
}

TdsMesh MakeOctahedron(float r) {
  const std::vector<TdsVec3> p = {{r, 0, 0}, {-r, 0, 0}, {0, r, 0}, {0, -r, 0}, {0, 0, r}, {0, 0, -r}};
  return FlatSolid(p, {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4}, {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}});
}

TdsMesh MakeIcosahedron(float r) {
  const double g = (1 + std::sqrt(5.0)) / 2, s = r / std::sqrt(1 + g * g);
  const float a = static_cast<float>(s), c = static_cast<float>(g * s);
  const std::vector<TdsVec3> p = {{-a, c, 0}, {a, c, 0}, {-a, -c, 0}, {a, -c, 0}, {0, -a, c}, {0, a, c},
                                  {0, -a, -c}, {0, a, -c}, {c, 0, -a}, {c, 0, a}, {-c, 0, -a}, {-c, 0, a}};
  return FlatSolid(p, {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
                       {11, 10, 2}, {10, 7, 6}, {7, 1, 8},   {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
                       {3, 8, 9},  {4, 9, 5},  {2, 4, 11},  {6, 2, 10}, {8, 6, 7},   {9, 8, 1}});
}

TdsMesh MakeCylinder(float r, float z0, float z1, int sides, int uRepeat) {
  TdsMesh m;
  constexpr int kRings = 4;  // mapping steps of a quarter up the side
  for (int ring = 0; ring <= kRings; ++ring) {
    for (int i = 0; i < sides; ++i) {
      const double a = 2 * kPi * i / sides;
      Add(&m, r * std::cos(a), r * std::sin(a), z0 + (z1 - z0) * ring / kRings, double(uRepeat) * i / sides,
          double(ring) / kRings);
    }
  }
  for (int ring = 0; ring < kRings; ++ring) {
    for (int i = 0; i < sides; ++i) {
      const int i1 = (i + 1) % sides, a = ring * sides;
      Quad(&m, a + i, a + i1, a + sides + i1, a + sides + i);
    }
  }
  // Caps get their own rim vertices so the side keeps a hard edge.
  for (int cap = 0; cap < 2; ++cap) {
    const double z = cap ? z1 : z0;
    const int centre = Add(&m, 0, 0, z, 0.5, 0.5);
    const int rim = static_cast<int>(m.vertices.size());
    for (int i = 0; i < sides; ++i) {
      const double a = 2 * kPi * i / sides;
      Add(&m, r * std::cos(a), r * std::sin(a), z, 0.5 + 0.45 * std::cos(a), 0.5 + 0.45 * std::sin(a));
    }
    for (int i = 0; i < sides; ++i) {
      const int i1 = (i + 1) % sides;
      if (cap)
        Tri(&m, centre, rim + i, rim + i1);
      else
        Tri(&m, centre, rim + i1, rim + i);
    }
  }
  return m;
}

TdsMesh MakeFloor(float sx, float sy, int cells, int repeat) {
  TdsMesh m;
  for (int j = 0; j <= cells; ++j) {
    for (int i = 0; i <= cells; ++i) {
      Add(&m, sx * (double(i) / cells - 0.5), sy * (double(j) / cells - 0.5), 0, double(repeat) * i / cells,
          double(repeat) * j / cells);
    }
  }
  for (int j = 0; j < cells; ++j) {
    for (int i = 0; i < cells; ++i) {
      const int a = j * (cells + 1) + i;
      Quad(&m, a, a + 1, a + cells + 2, a + cells + 1);
    }
  }
  return m;
}

double SignedVolume(const TdsMesh& mesh) {
  double v = 0;
  for (const auto& f : mesh.faces) {
    const TdsVec3 a = mesh.vertices[f[0]], b = mesh.vertices[f[1]], c = mesh.vertices[f[2]];
    v += (double(a.x) * (double(b.y) * c.z - double(b.z) * c.y) - double(a.y) * (double(b.x) * c.z - double(b.z) * c.x) +
          double(a.z) * (double(b.x) * c.y - double(b.y) * c.x)) /
         6.0;
  }
  return v;
}
