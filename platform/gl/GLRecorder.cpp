#include "platform/gl/GLRecorder.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <type_traits>

namespace quarn {
namespace gl {

namespace {

struct RecorderState {
    std::vector<RecordedCall> calls;
    std::map<GLenum, std::vector<float>> floats;
    std::map<GLenum, std::vector<int>> integers;
    std::map<GLenum, bool> enabled;
    std::map<std::string, GLint> uniforms;
    GLuint nextList = 1;
    GLuint nextTexture = 1;
    GLuint nextHandle = 1;
    Dispatch* previous = nullptr;
    bool installed = false;
};

RecorderState& State() {
    static RecorderState state;
    return state;
}

template <class T> double AsNumber(T v) {
    if constexpr (std::is_pointer<T>::value)
        return v ? 1.0 : 0.0;
    else
        return static_cast<double>(v);
}

template <class... A> void Log(const char* name, A... a) {
    GLRecorder::Record(name, std::vector<double>{AsNumber(a)...});
}

template <class R> R Neutral() {
    if constexpr (std::is_void<R>::value)
        return;
    else
        return R{};
}

struct RecordingEntries {
#define QGL_FUNC(ret, name, params, args)                                                          \
    static ret APIENTRY name params {                                                              \
        Log(#name QGL_COMMA_ARGS args);                                                            \
        return Neutral<ret>();                                                                     \
    }
#define QGL_COMMA_ARGS(...) __VA_OPT__(, ) __VA_ARGS__
#include "platform/gl/GLFunctions.inc"
#undef QGL_FUNC
#undef QGL_COMMA_ARGS
};

// Entries that must answer: generated names, queried state, created objects.
GLuint APIENTRY RecGenLists(GLsizei range) {
    Log("glGenLists", range);
    RecorderState& s = State();
    const GLuint first = s.nextList;
    s.nextList += static_cast<GLuint>(range > 0 ? range : 0);
    return first;
}

void APIENTRY RecGenTextures(GLsizei n, GLuint* names) {
    Log("glGenTextures", n, names);
    for (GLsizei i = 0; i < n; ++i)
        names[i] = State().nextTexture++;
}

void APIENTRY RecGetFloatv(GLenum pname, GLfloat* out) {
    Log("glGetFloatv", pname, out);
    auto it = State().floats.find(pname);
    const size_t n = pname == GL_MODELVIEW_MATRIX || pname == GL_PROJECTION_MATRIX ? 16 : 4;
    for (size_t i = 0; i < n; ++i)
        out[i] = (it != State().floats.end() && i < it->second.size()) ? it->second[i] : 0.0f;
}

void APIENTRY RecGetIntegerv(GLenum pname, GLint* out) {
    Log("glGetIntegerv", pname, out);
    auto it = State().integers.find(pname);
    const size_t n = pname == GL_VIEWPORT ? 4 : 1;
    for (size_t i = 0; i < n; ++i)
        out[i] = (it != State().integers.end() && i < it->second.size()) ? it->second[i] : 0;
}

void APIENTRY RecEnable(GLenum cap) {
    Log("glEnable", cap);
    State().enabled[cap] = true;
}

void APIENTRY RecDisable(GLenum cap) {
    Log("glDisable", cap);
    State().enabled[cap] = false;
}

GLboolean APIENTRY RecIsEnabled(GLenum cap) {
    Log("glIsEnabled", cap);
    return State().enabled[cap] ? GL_TRUE : GL_FALSE;
}

const GLubyte* APIENTRY RecGetString(GLenum name) {
    Log("glGetString", name);
    static const GLubyte text[] = "recording";
    return text;
}

GLhandleARB APIENTRY RecCreateShaderObject(GLenum type) {
    Log("glCreateShaderObjectARB", type);
    return State().nextHandle++;
}

GLhandleARB APIENTRY RecCreateProgramObject() {
    Log("glCreateProgramObjectARB");
    return State().nextHandle++;
}

// Answers from the integers set for pname (compile and link status, log length); 0 otherwise.
void APIENTRY RecGetObjectParameteriv(GLhandleARB obj, GLenum pname, GLint* out) {
    Log("glGetObjectParameterivARB", obj, pname, out);
    auto it = State().integers.find(pname);
    *out = it != State().integers.end() && !it->second.empty() ? it->second[0] : 0;
}

// Every name gets a location of its own on first use, unless a test set one.
GLint APIENTRY RecGetUniformLocation(GLhandleARB program, const GLcharARB* name) {
    Log("glGetUniformLocationARB", program, name);
    RecorderState& s = State();
    auto it = s.uniforms.find(name);
    if (it != s.uniforms.end()) return it->second;
    GLint next = 100;
    for (const auto& u : s.uniforms)
        next = std::max(next, u.second + 1);
    s.uniforms[name] = next;
    return next;
}

Dispatch MakeRecordingTable() {
    Dispatch d;
#define QGL_FUNC(ret, name, params, args) d.name = &RecordingEntries::name;
#include "platform/gl/GLFunctions.inc"
#undef QGL_FUNC
    d.glGenLists = &RecGenLists;
    d.glGenTextures = &RecGenTextures;
    d.glGetFloatv = &RecGetFloatv;
    d.glGetIntegerv = &RecGetIntegerv;
    d.glEnable = &RecEnable;
    d.glDisable = &RecDisable;
    d.glIsEnabled = &RecIsEnabled;
    d.glGetString = &RecGetString;
    d.glCreateShaderObjectARB = &RecCreateShaderObject;
    d.glCreateProgramObjectARB = &RecCreateProgramObject;
    d.glGetObjectParameterivARB = &RecGetObjectParameteriv;
    d.glGetUniformLocationARB = &RecGetUniformLocation;
    return d;
}

Dispatch g_recording = MakeRecordingTable();

} // namespace

std::string RecordedCall::ToString() const {
    std::string out = name + "(";
    for (size_t i = 0; i < args.size(); ++i) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", args[i]);
        if (i) out += ", ";
        out += buf;
    }
    return out + ")";
}

void GLRecorder::Install() {
    RecorderState& s = State();
    if (!s.installed) s.previous = g_active;
    s.installed = true;
    g_active = &g_recording;
    s.uniforms.clear();
    Clear();
}

void GLRecorder::Uninstall() {
    RecorderState& s = State();
    if (!s.installed) return;
    g_active = s.previous;
    s.installed = false;
}

bool GLRecorder::Installed() {
    return State().installed;
}

void GLRecorder::Clear() {
    State().calls.clear();
}

const std::vector<RecordedCall>& GLRecorder::Calls() {
    return State().calls;
}

std::vector<std::string> GLRecorder::Names() {
    std::vector<std::string> out;
    for (const RecordedCall& c : State().calls)
        out.push_back(c.name);
    return out;
}

std::vector<std::string> GLRecorder::Lines() {
    std::vector<std::string> out;
    for (const RecordedCall& c : State().calls)
        out.push_back(c.ToString());
    return out;
}

int GLRecorder::Count(const std::string& name) {
    int n = 0;
    for (const RecordedCall& c : State().calls)
        n += c.name == name;
    return n;
}

void GLRecorder::SetFloats(GLenum pname, const std::vector<float>& values) {
    State().floats[pname] = values;
}

void GLRecorder::SetIntegers(GLenum pname, const std::vector<int>& values) {
    State().integers[pname] = values;
}

void GLRecorder::SetUniformLocation(const std::string& name, GLint location) {
    State().uniforms[name] = location;
}

GLint GLRecorder::UniformLocation(const std::string& name) {
    auto it = State().uniforms.find(name);
    return it == State().uniforms.end() ? -1 : it->second;
}

void GLRecorder::Record(const char* name, std::vector<double> args) {
    State().calls.push_back(RecordedCall{name, std::move(args)});
}

} // namespace gl
} // namespace quarn
