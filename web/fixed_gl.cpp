// OpenGL 1.1's fixed pipeline, as much of it as the show draws with, on WebGL 1: begin/end
// primitives (triangles and quads) with a colour and a texture coordinate per vertex, the
// projection and modelview matrices (identity, ortho, scale), and texturing switched on
// and off (shim/web_gl.h routes the show's glEnable and glDisable here). Texturing
// modulates the texture by the colour, as GL_MODULATE does. Each primitive is drawn at its
// glEnd from one vertex array of fixed size, a long one in pieces: a frame allocates
// nothing in the program, and next to nothing in the browser's script (the views
// emscripten's WebGL calls make).
#include <GLES2/gl2.h>

#include <cstddef>

namespace {

struct Vertex {
  GLfloat x, y, u, v, r, g, b, a;
};

constexpr int batchVertices = 6000;        // a multiple of 3 and 4: a full batch holds whole primitives
constexpr GLenum quads = 0x0007;           // GL_QUADS
constexpr GLenum projectionMode = 0x1701;  // GL_PROJECTION
constexpr GLenum texturing = 0x0DE1;       // GL_TEXTURE_2D, a switch of the fixed pipeline

Vertex batch[batchVertices];
GLushort quadIndices[batchVertices / 4 * 6];  // two triangles per quad: 0 1 2, 0 2 3
int batchCount;
GLenum primitive;
Vertex current = {0, 0, 0, 0, 1, 1, 1, 1};  // texture coordinate and colour of the next vertex

struct Matrix {
  GLfloat m[16];  // column-major, as GL keeps it
};
constexpr Matrix identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
Matrix matrices[2] = {identity, identity};  // modelview, projection
int matrixMode;                             // 0 modelview, 1 projection
bool matricesSent[2];
bool textured, texturedSent;

GLuint program;
GLint matrixUniforms[2], texturedUniform;

const char* vertexShader = R"(
attribute vec2 position;
attribute vec2 texCoord;
attribute vec4 colour;
uniform mat4 modelview, projection;
varying vec2 uv;
varying vec4 tint;
void main() {
  uv = texCoord;
  tint = colour;
  gl_Position = projection * (modelview * vec4(position, 0.0, 1.0));
})";

// High precision where the device has it: a 1024-texel picture needs more than a
// half float's 11 bits to find its texel.
const char* fragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D picture;
uniform bool textured;
varying vec2 uv;
varying vec4 tint;
void main() {
  gl_FragColor = textured ? texture2D(picture, uv) * tint : tint;
})";

GLuint compile(GLenum type, const char* source) {
  const GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  return shader;
}

// The current matrix times the one given, as glMultMatrix.
void multiply(const Matrix& by) {
  const GLfloat* m = matrices[matrixMode].m;
  Matrix product;
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      GLfloat sum = 0;
      for (int k = 0; k < 4; ++k) sum += m[k * 4 + row] * by.m[column * 4 + k];
      product.m[column * 4 + row] = sum;
    }
  }
  matrices[matrixMode] = product;
  matricesSent[matrixMode] = false;
}

void setTexturing(bool on) {
  if (on != textured) texturedSent = false;
  textured = on;
}

// The program, its vertex buffer and the quads' index buffer, made at the first draw
// (the page draws a frame before it is ready) and bound for the page's whole life.
void setUp() {
  program = glCreateProgram();
  glAttachShader(program, compile(GL_VERTEX_SHADER, vertexShader));
  glAttachShader(program, compile(GL_FRAGMENT_SHADER, fragmentShader));
  glBindAttribLocation(program, 0, "position");
  glBindAttribLocation(program, 1, "texCoord");
  glBindAttribLocation(program, 2, "colour");
  glLinkProgram(program);
  glUseProgram(program);
  matrixUniforms[0] = glGetUniformLocation(program, "modelview");
  matrixUniforms[1] = glGetUniformLocation(program, "projection");
  texturedUniform = glGetUniformLocation(program, "textured");

  GLuint buffers[2];
  glGenBuffers(2, buffers);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
  glBufferData(GL_ARRAY_BUFFER, sizeof batch, nullptr, GL_STREAM_DRAW);
  for (int q = 0; q < batchVertices / 4; ++q) {
    const GLushort first = GLushort(4 * q), indices[6] = {0, 1, 2, 0, 2, 3};
    for (int i = 0; i < 6; ++i) quadIndices[6 * q + i] = GLushort(first + indices[i]);
  }
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof quadIndices, quadIndices, GL_STATIC_DRAW);
  const GLsizei stride = sizeof(Vertex);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, x)));
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, u)));
  glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, r)));
  for (GLuint attribute = 0; attribute < 3; ++attribute) glEnableVertexAttribArray(attribute);
}

// Draws the whole primitives in the batch and empties it; an unfinished one (only at
// glEnd, as a full batch holds none) is dropped, as GL drops it.
void flush() {
  if (!program) setUp();
  const int size = primitive == quads ? 4 : 3, whole = batchCount - batchCount % size;
  if (whole > 0) {
    for (int i = 0; i < 2; ++i) {
      if (!matricesSent[i]) glUniformMatrix4fv(matrixUniforms[i], 1, GL_FALSE, matrices[i].m);
      matricesSent[i] = true;
    }
    if (!texturedSent) glUniform1i(texturedUniform, textured);
    texturedSent = true;
    glBufferSubData(GL_ARRAY_BUFFER, 0, whole * sizeof(Vertex), batch);
    if (primitive == quads)
      glDrawElements(GL_TRIANGLES, whole / 4 * 6, GL_UNSIGNED_SHORT, nullptr);
    else
      glDrawArrays(GL_TRIANGLES, 0, whole);
  }
  batchCount = 0;
}

}  // namespace

extern "C" {

void glBegin(GLenum mode) { primitive = mode; }

void glEnd() { flush(); }

void glVertex2f(GLfloat x, GLfloat y) {
  if (batchCount == batchVertices) flush();
  Vertex& vertex = batch[batchCount++];
  vertex = current;
  vertex.x = x;
  vertex.y = y;
}

void glVertex2i(GLint x, GLint y) { glVertex2f(GLfloat(x), GLfloat(y)); }

void glTexCoord2f(GLfloat u, GLfloat v) {
  current.u = u;
  current.v = v;
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
  current.r = r;
  current.g = g;
  current.b = b;
  current.a = a;
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1.0f); }

void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) {
  glColor4f(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
}

void glMatrixMode(GLenum mode) { matrixMode = mode == projectionMode ? 1 : 0; }

void glLoadIdentity() {
  matrices[matrixMode] = identity;
  matricesSent[matrixMode] = false;
}

void glOrtho(double left, double right, double bottom, double top, double near, double far) {
  Matrix ortho = identity;
  ortho.m[0] = GLfloat(2 / (right - left));
  ortho.m[5] = GLfloat(2 / (top - bottom));
  ortho.m[10] = GLfloat(-2 / (far - near));
  ortho.m[12] = GLfloat(-(right + left) / (right - left));
  ortho.m[13] = GLfloat(-(top + bottom) / (top - bottom));
  ortho.m[14] = GLfloat(-(far + near) / (far - near));
  multiply(ortho);
}

void glScaled(double x, double y, double z) {
  Matrix scale = identity;
  scale.m[0] = GLfloat(x);
  scale.m[5] = GLfloat(y);
  scale.m[10] = GLfloat(z);
  multiply(scale);
}

// The show's glEnable and glDisable (shim/web_gl.h): texturing is this pipeline's own
// switch; the rest are WebGL's.
void webEnable(GLenum capability) {
  if (capability == texturing)
    setTexturing(true);
  else
    glEnable(capability);
}

void webDisable(GLenum capability) {
  if (capability == texturing)
    setTexturing(false);
  else
    glDisable(capability);
}

}  // extern "C"
