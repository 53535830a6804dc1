// llvmpipe_bench.cpp - the anchor: the device benchmark's torus (torus_mesh.h) drawn by Mesa's
// llvmpipe, the fastest processor-only OpenGL there is, in the same run as our software device.
//
// llvmpipe draws off-screen through EGL's surfaceless platform into a 320 x 240 framebuffer
// object (RGBA8 colour, 32-bit float depth) with the device's states: the same matrices (its
// clip space mapped onto OpenGL's in the vertex shader), Gouraud colour and alpha, the texture
// modulated and the specular colour added with saturation, bilinear minification and nearest
// magnification with wrapping, source-alpha blending, depth test less-or-equal with writes,
// counter-clockwise (on screen) triangles culled. Its vertices sit in a buffer on its side
// while ours are handed over one by one, as the show hands them.
//
// Each configuration is measured in rounds that alternate ours and llvmpipe's frame (clear,
// draw, finish); the medians of the rounds and the median of their ratios are reported, once
// with LP_NUM_THREADS=0 (everything on the calling thread: the thread's processor time, which
// a busy machine disturbs least) and once with llvmpipe's default workers (one per processor:
// wall-clock time, since the workers run on other threads). Both pictures'
// covered pixels are counted from their depth buffers.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "raster/software_device.h"
#include "torus_mesh.h"

namespace {

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 color;
layout(location = 2) in vec4 specular;
layout(location = 3) in vec2 uv;
uniform mat4 viewProjection;
out vec4 vertexColor;
out vec3 vertexSpecular;
out vec2 vertexUv;
void main() {
  // Row vectors times the device's matrices; its clip space (0 <= z <= w, y/w from -0.75 to
  // 0.75 across the screen) onto OpenGL's.
  vec4 p = vec4(position, 1.0) * viewProjection;
  gl_Position = vec4(p.x, p.y / 0.75, 2.0 * p.z - p.w, p.w);
  vertexColor = color;
  vertexSpecular = specular.rgb;
  vertexUv = uv;
})";

const char* const kFragmentShader = R"(#version 330 core
in vec4 vertexColor;
in vec3 vertexSpecular;
in vec2 vertexUv;
uniform sampler2D picture;
out vec4 result;
void main() {
  vec3 lit = texture(picture, vertexUv).rgb * vertexColor.rgb + vertexSpecular;
  result = vec4(min(lit, vec3(1.0)), vertexColor.a);
})";

// One llvmpipe context drawing the torus into its framebuffer object.
class Llvmpipe {
 public:
  // threads: the value of LP_NUM_THREADS while the driver starts, or null for its default.
  explicit Llvmpipe(const char* threads) {
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    setenv("GALLIUM_DRIVER", "llvmpipe", 1);
    if (threads) setenv("LP_NUM_THREADS", threads, 1);
    else unsetenv("LP_NUM_THREADS");
    error_ = Start();
  }
  ~Llvmpipe() {
    if (display_ == EGL_NO_DISPLAY) return;
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context_ != EGL_NO_CONTEXT) eglDestroyContext(display_, context_);
    // Ends the driver's screen, so the next one reads LP_NUM_THREADS afresh.
    eglTerminate(display_);
  }
  const std::string& Error() const { return error_; }

  void DrawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDrawArrays(GL_TRIANGLES, 0, vertexCount_);
    glFinish();
  }

  int CoveredPixels() {
    std::vector<float> depth(320 * 240);
    glReadPixels(0, 0, 320, 240, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    int covered = 0;
    for (float d : depth) covered += d < 1.0f;
    return covered;
  }

  // The picture as 0x00RRGGBB rows from the top.
  std::vector<uint32_t> Picture() {
    std::vector<uint32_t> rows(320 * 240), picture(320 * 240);
    glReadPixels(0, 0, 320, 240, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) picture[y * 320 + x] = rows[(239 - y) * 320 + x] & 0xFFFFFFu;
    return picture;
  }

  std::string Renderer() const {
    const GLubyte* name = glGetString(GL_RENDERER);
    return name ? reinterpret_cast<const char*>(name) : "?";
  }

 private:
  std::string Start() {
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return "EGL has no eglGetPlatformDisplayEXT";
    display_ = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display_ == EGL_NO_DISPLAY || !eglInitialize(display_, nullptr, nullptr))
      return "no EGL surfaceless display (is the Mesa EGL driver installed?)";
    if (!eglBindAPI(EGL_OPENGL_API)) return "EGL offers no OpenGL";
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    context_ = eglCreateContext(display_, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, contextAttributes);
    if (context_ == EGL_NO_CONTEXT) return "cannot create an OpenGL 3.3 context";
    if (!eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) return "cannot make the context current";
    if (Renderer().find("llvmpipe") == std::string::npos) return "the renderer is " + Renderer() + ", not llvmpipe";

    GLuint framebuffer, colour, depth;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 320, 240);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32F, 320, 240);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return "incomplete framebuffer";

    std::string error;
    const GLuint program = Program(&error);
    if (!program) return error;
    glUseProgram(program);
    const Matrix4x4 viewProjection = MultiplyMatrices(TorusProjection(), TorusView());  // view x projection
    // The matrix goes in as written (row after row); the shader multiplies the row vector on
    // the left, v' = v x M.
    glUniformMatrix4fv(glGetUniformLocation(program, "viewProjection"), 1, GL_TRUE, viewProjection.m);
    glUniform1i(glGetUniformLocation(program, "picture"), 0);

    const std::vector<LitVertex> mesh = MakeTorusMesh();
    vertexCount_ = static_cast<GLsizei>(mesh.size());
    GLuint array, buffer;
    glGenVertexArrays(1, &array);
    glBindVertexArray(array);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.size() * sizeof(LitVertex)), mesh.data(), GL_STATIC_DRAW);
    const GLsizei stride = sizeof(LitVertex);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(LitVertex, x)));
    // 0xAARRGGBB in memory is blue, green, red, alpha.
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(offsetof(LitVertex, color)));
    glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(LitVertex, specular)));
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(LitVertex, tu)));
    for (GLuint i = 0; i < 4; ++i) glEnableVertexAttribArray(i);

    const std::vector<uint32_t> texels = MakeTorusTexture();
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 256, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);

    glViewport(0, 0, 320, 240);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // The device keeps the triangles that wind clockwise as seen on the screen; the picture is
    // the same way up here (rows are read back bottom first), so they are OpenGL's clockwise.
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    if (glGetError() != GL_NO_ERROR) return "OpenGL set-up failed";
    return "";
  }

  static GLuint Shader(GLenum type, const char* source, std::string* error) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    *error = std::string("shader: ") + log;
    return 0;
  }

  static GLuint Program(std::string* error) {
    const GLuint vertex = Shader(GL_VERTEX_SHADER, kVertexShader, error);
    const GLuint fragment = vertex ? Shader(GL_FRAGMENT_SHADER, kFragmentShader, error) : 0;
    if (!fragment) return 0;
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
      *error = "the shaders do not link";
      return 0;
    }
    return program;
  }

  EGLDisplay display_ = EGL_NO_DISPLAY;
  EGLContext context_ = EGL_NO_CONTEXT;
  GLsizei vertexCount_ = 0;
  std::string error_;
};

// Our device on the same torus, as device_bench.cpp draws it.
class OurDevice {
 public:
  OurDevice() : surface_(320, 240, 32), depth_(320, 240), device_(&surface_, &depth_), mesh_(MakeTorusMesh()) {
    const std::vector<uint32_t> texels = MakeTorusTexture();
    device_.SetTextureHandle(device_.CreateTexture(256, 256, texels.data()));
    device_.SetTransform(TransformState::View, TorusView().m);
    device_.SetTransform(TransformState::Projection, TorusProjection().m);
  }
  void DrawFrame() {
    std::memset(surface_.pixels.data(), 0, surface_.pixels.size());
    std::fill(depth_.depth.begin(), depth_.depth.end(), 1.0f);
    device_.Begin(PrimitiveType::TriangleList);
    for (const LitVertex& v : mesh_) device_.Vertex(v);
    device_.End();
    benchmark::DoNotOptimize(surface_.pixels.data());
  }
  int CoveredPixels() const {
    int covered = 0;
    for (float d : depth_.depth) covered += d < 1.0f;
    return covered;
  }
  uint32_t Pixel(int i) const { return surface_.GetPixel(i % 320, i / 320); }

 private:
  Surface surface_;
  DepthBuffer depth_;
  SoftwareDevice device_;
  std::vector<LitVertex> mesh_;
};

// Seconds per frame of `frames` frames, by `clock`.
template <class Renderer>
double FrameSeconds(Renderer& renderer, int frames, double (*clock)()) {
  const double start = clock();
  for (int i = 0; i < frames; ++i) renderer.DrawFrame();
  return (clock() - start) / frames;
}

// state.range(0): 1 = llvmpipe on the calling thread (LP_NUM_THREADS=0), 0 = with its workers.
void BM_DeviceVersusLlvmpipe(benchmark::State& state) {
  const bool callingThread = state.range(0) == 1;
  Llvmpipe llvmpipe(callingThread ? "0" : nullptr);
  if (!llvmpipe.Error().empty()) {
    state.SkipWithError(("llvmpipe: " + llvmpipe.Error()).c_str());
    return;
  }
  OurDevice ours;
  double (*const clock)() = callingThread ? ThreadSeconds : WallSeconds;
  constexpr int kRounds = 15, kFrames = 20;
  std::vector<double> oursSeconds, theirsSeconds, ratios;
  for (auto _ : state) {
    // A warm-up frame each, then rounds alternating the two.
    ours.DrawFrame();
    llvmpipe.DrawFrame();
    for (int round = 0; round < kRounds; ++round) {
      const double a = FrameSeconds(ours, kFrames, clock);
      const double b = FrameSeconds(llvmpipe, kFrames, clock);
      oursSeconds.push_back(a);
      theirsSeconds.push_back(b);
      ratios.push_back(b / a);
    }
    state.SetIterationTime(Median(oursSeconds) * kFrames * kRounds);
  }
  const int oursCovered = ours.CoveredPixels(), theirsCovered = llvmpipe.CoveredPixels();
  state.counters["device_ms"] = Median(oursSeconds) * 1e3;
  state.counters["llvmpipe_ms"] = Median(theirsSeconds) * 1e3;
  // How many times faster the device is than llvmpipe: the median of the rounds' ratios.
  state.counters["x_llvmpipe"] = Median(ratios);
  state.counters["pixels_device"] = oursCovered;
  state.counters["pixels_llvmpipe"] = theirsCovered;
  state.counters["pixels_diff_pct"] =
      100.0 * std::fabs(static_cast<double>(oursCovered - theirsCovered)) / std::max(1, theirsCovered);
  // How far apart the two pictures are: the mean difference of a colour channel, 0..255.
  const std::vector<uint32_t> theirs = llvmpipe.Picture();
  double difference = 0;
  for (int i = 0; i < 320 * 240; ++i)
    for (int shift = 0; shift < 24; shift += 8)
      difference += std::abs(static_cast<int>((ours.Pixel(i) >> shift) & 0xFF) - static_cast<int>((theirs[i] >> shift) & 0xFF));
  state.counters["mean_channel_diff"] = difference / (320.0 * 240.0 * 3.0);
  state.SetLabel(callingThread ? "llvmpipe on the calling thread, thread time"
                                : "llvmpipe with its worker threads, wall-clock time");
}
BENCHMARK(BM_DeviceVersusLlvmpipe)->Arg(1)->Arg(0)->ArgName("calling_thread")->Iterations(1)->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
