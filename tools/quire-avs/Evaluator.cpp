#include "Evaluator.h"

#include "D2v.h"
#include "Process.h"
#include "platform/Text1252.h"
#include "platform/WinePath.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <numeric>
#include <optional>
#include <sstream>
#include <variant>

namespace quire::avs {

Rational reduced(std::int64_t num, std::int64_t den) {
    const std::int64_t g = std::gcd(num, den);
    return g == 0 ? Rational{num, den} : Rational{num / g, den / g};
}

Rational rateFromFloat(double fps) {
    if (std::abs(fps - std::round(fps)) < 1e-9)
        return {static_cast<std::int64_t>(std::round(fps)), 1};
    const double ntsc = fps * 1001.0 / 1000.0;
    if (std::abs(ntsc - std::round(ntsc)) < 1e-3)
        return reduced(static_cast<std::int64_t>(std::round(ntsc)) * 1000, 1001);
    return reduced(static_cast<std::int64_t>(std::round(fps * 1000000.0)), 1000000);
}

const char* ffmpegFormat(PixelType type) {
    switch (type) {
    case PixelType::RGB32:
        return "bgra";
    case PixelType::RGB24:
        return "bgr24";
    case PixelType::YV12:
        return "yuv420p";
    case PixelType::YUY2:
        return "yuv422p";
    }
    return "bgra";
}

bool isYuv(PixelType type) {
    return type == PixelType::YV12 || type == PixelType::YUY2;
}

FrameRange trimRange(int frames, int first, int last) {
    FrameRange r;
    r.first = std::clamp(first, 0, frames - 1);
    if (last == 0)
        r.last = frames - 1;
    else if (last < 0)
        r.last = r.first - last - 1;
    else
        r.last = last;
    r.last = std::clamp(r.last, r.first, frames - 1);
    return r;
}

std::filesystem::path resolveMedia(std::string_view text, const std::filesystem::path& referringFile) {
    const std::filesystem::path mapped = quire::winePath(text, referringFile);
    std::error_code ec;
    if (std::filesystem::is_regular_file(mapped, ec))
        return mapped;
    const std::size_t cut = text.find_last_of("\\/:");
    const std::string base = quire::text::toLower(cut == std::string_view::npos ? text : text.substr(cut + 1));
    const std::filesystem::path folder = referringFile.parent_path();
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec))
        if (it->is_regular_file(ec) && quire::text::toLower(it->path().filename().string()) == base)
            return it->path();
    throw MediaError("cannot find \"" + std::string(text) + "\" (tried " + mapped.string() + " and " +
                     (folder / base).string() + ")");
}

namespace {

using Value = std::variant<std::monostate, std::int32_t, double, std::string, bool, Clip>;

std::string lower(std::string_view s) {
    return quire::text::toLower(s);
}

struct Param {
    std::string name;
    char type; // c clip, i int, f float, s string, b bool
};

class Args {
public:
    Args(std::string function, int line, const std::vector<Param>& params, std::vector<std::optional<Value>> values)
        : m_function(std::move(function)), m_line(line), m_params(params), m_values(std::move(values)) {}

    bool has(std::string_view name) const { return m_values[index(name)].has_value(); }
    int integer(std::string_view name, int fallback) const {
        const auto& v = m_values[index(name)];
        return v ? std::get<std::int32_t>(*v) : fallback;
    }
    double number(std::string_view name, double fallback) const {
        const auto& v = m_values[index(name)];
        if (!v)
            return fallback;
        if (const auto* i = std::get_if<std::int32_t>(&*v))
            return *i;
        return std::get<double>(*v);
    }
    std::string text(std::string_view name, std::string fallback) const {
        const auto& v = m_values[index(name)];
        return v ? std::get<std::string>(*v) : fallback;
    }
    bool flag(std::string_view name, bool fallback) const {
        const auto& v = m_values[index(name)];
        return v ? std::get<bool>(*v) : fallback;
    }
    const Clip* clip(std::string_view name) const {
        const auto& v = m_values[index(name)];
        return v ? &std::get<Clip>(*v) : nullptr;
    }
    [[noreturn]] void fail(const std::string& message) const { throw ScriptError(m_line, m_function + ": " + message); }
    int line() const { return m_line; }

private:
    std::size_t index(std::string_view name) const {
        for (std::size_t i = 0; i < m_params.size(); ++i)
            if (m_params[i].name == name)
                return i;
        throw std::logic_error("no parameter " + std::string(name));
    }
    std::string m_function;
    int m_line;
    const std::vector<Param>& m_params;
    std::vector<std::optional<Value>> m_values;
};

struct Function {
    std::string name; // as AviSynth spells it, for messages
    std::vector<Param> params;
    bool implicitClip = false; // the first parameter takes `last` when no clip is passed
    bool variadicStrings = false;
    std::function<Value(const Args&)> run;
};

const char* typeName(char t) {
    switch (t) {
    case 'c':
        return "a clip";
    case 'i':
        return "an int";
    case 'f':
        return "a float";
    case 's':
        return "a string";
    default:
        return "a bool";
    }
}

bool fits(const Value& v, char t) {
    switch (t) {
    case 'c':
        return std::holds_alternative<Clip>(v);
    case 'i':
        return std::holds_alternative<std::int32_t>(v);
    case 'f':
        return std::holds_alternative<std::int32_t>(v) || std::holds_alternative<double>(v);
    case 's':
        return std::holds_alternative<std::string>(v);
    default:
        return std::holds_alternative<bool>(v);
    }
}

std::uint32_t rgbOf(std::uint32_t argb) {
    return argb & 0xFFFFFFU;
}

std::string hex6(std::uint32_t rgb) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(rgb & 0xFFFFFFU));
    return buf;
}

PixelType pixelTypeNamed(const Args& a, const std::string& name) {
    const std::string n = lower(name);
    if (n == "rgb32")
        return PixelType::RGB32;
    if (n == "rgb24")
        return PixelType::RGB24;
    if (n == "yv12" || n == "i420")
        return PixelType::YV12;
    if (n == "yuy2")
        return PixelType::YUY2;
    a.fail("the pixel type \"" + name + "\" is not one of RGB32, RGB24, YV12, YUY2");
}

void checkSize(const Args& a, PixelType type, int width, int height, bool interlaced = false) {
    if (width < 1 || height < 1)
        a.fail("the frame size " + std::to_string(width) + "x" + std::to_string(height) + " is not positive");
    if ((type == PixelType::YV12 || type == PixelType::YUY2) && width % 2 != 0)
        a.fail(std::string("a ") + (type == PixelType::YV12 ? "YV12" : "YUY2") + " clip needs an even width, not " +
               std::to_string(width));
    if (type == PixelType::YV12 && height % (interlaced ? 4 : 2) != 0)
        a.fail(std::string("a YV12 clip needs a height that is a multiple of ") + (interlaced ? "4" : "2") + ", not " +
               std::to_string(height));
}

class Evaluator {
public:
    explicit Evaluator(std::filesystem::path scriptFile) : m_scriptFile(std::move(scriptFile)) { define(); }

    Evaluation run(std::string_view script) {
        const std::vector<Statement> statements = parse(script);
        std::optional<Value> result;
        int lastLine = 1;
        for (const Statement& s : statements) {
            lastLine = s.line;
            Value v = eval(*s.value);
            if (s.kind == Statement::Kind::Return) {
                result = std::move(v);
                break;
            }
            if (s.kind == Statement::Kind::Assign)
                m_variables[lower(s.variable)] = std::move(v);
            else if (std::holds_alternative<Clip>(v))
                m_variables["last"] = std::move(v);
        }
        if (!result) {
            const auto it = m_variables.find("last");
            if (it == m_variables.end())
                throw ScriptError(lastLine, "the script returns no clip");
            result = it->second;
        }
        if (!std::holds_alternative<Clip>(*result))
            throw ScriptError(lastLine, "the script returns no clip");
        m_out.clip = std::get<Clip>(std::move(*result));
        if (m_out.clip.frames < 1)
            throw ScriptError(lastLine, "the script returns a clip without frames");
        return std::move(m_out);
    }

private:
    Value eval(const Expression& e) {
        if (const auto* lit = std::get_if<Literal>(&e.node))
            return std::visit([](const auto& x) -> Value { return x; }, lit->value);
        if (const auto* name = std::get_if<Name>(&e.node)) {
            const auto it = m_variables.find(lower(name->name));
            if (it != m_variables.end())
                return it->second;
            return call(name->name, nullptr, {}, e.line);
        }
        const Call& c = std::get<Call>(e.node);
        return call(c.function, c.receiver.get(), c.arguments, e.line);
    }

    Value call(const std::string& name, const Expression* receiver, const std::vector<Argument>& arguments, int line) {
        const auto it = m_functions.find(lower(name));
        if (it == m_functions.end())
            throw ScriptError(line, "there is no function named \"" + name + "\"");
        const Function& f = it->second;
        std::vector<Value> positional;
        if (receiver)
            positional.push_back(eval(*receiver));
        std::vector<std::pair<std::string, Value>> named;
        for (const Argument& a : arguments) {
            if (a.name.empty())
                positional.push_back(eval(*a.value));
            else
                named.emplace_back(a.name, eval(*a.value));
        }
        if (f.variadicStrings) {
            for (const Value& v : positional)
                if (!std::holds_alternative<std::string>(v))
                    throw ScriptError(line, f.name + ": every argument must be a string");
            if (positional.empty() || !named.empty())
                throw ScriptError(line, f.name + ": needs one or more file names");
            std::vector<std::optional<Value>> one{positional.front()};
            for (std::size_t i = 1; i < positional.size(); ++i)
                m_out.plugins.push_back(pluginName(std::get<std::string>(positional[i])));
            return f.run(Args(f.name, line, f.params, std::move(one)));
        }
        std::vector<std::optional<Value>> values(f.params.size());
        if (f.implicitClip && (positional.empty() || !std::holds_alternative<Clip>(positional.front()))) {
            const auto last = m_variables.find("last");
            if (last == m_variables.end() || !std::holds_alternative<Clip>(last->second))
                throw ScriptError(line, f.name + ": there is no clip to work on (no 'last' clip yet)");
            positional.insert(positional.begin(), last->second);
        }
        if (positional.size() > f.params.size())
            throw ScriptError(line, f.name + ": too many arguments");
        for (std::size_t i = 0; i < positional.size(); ++i) {
            if (!fits(positional[i], f.params[i].type))
                throw ScriptError(line, f.name + ": argument " + std::to_string(i + 1) + " (" + f.params[i].name +
                                            ") must be " + typeName(f.params[i].type));
            values[i] = std::move(positional[i]);
        }
        for (auto& [argName, v] : named) {
            std::size_t i = 0;
            while (i < f.params.size() && lower(f.params[i].name) != lower(argName))
                ++i;
            if (i == f.params.size())
                throw ScriptError(line, f.name + " does not have a named argument \"" + argName + "\"");
            if (values[i])
                throw ScriptError(line, f.name + ": the argument \"" + argName + "\" is given twice");
            if (!fits(v, f.params[i].type))
                throw ScriptError(line, f.name + ": \"" + argName + "\" must be " + typeName(f.params[i].type));
            values[i] = std::move(v);
        }
        for (std::size_t i = 0; i < f.params.size(); ++i)
            if (f.params[i].type == 'c' && f.implicitClip && i == 0 && !values[i])
                throw ScriptError(line, f.name + ": there is no clip to work on");
        return f.run(Args(f.name, line, f.params, std::move(values)));
    }

    static std::string pluginName(const std::string& path) {
        const std::size_t cut = path.find_last_of("\\/:");
        return cut == std::string::npos ? path : path.substr(cut + 1);
    }

    void add(std::string name, std::vector<Param> params, bool implicitClip, std::function<Value(const Args&)> run) {
        Function f{name, std::move(params), implicitClip, false, std::move(run)};
        m_functions[lower(name)] = std::move(f);
    }

    void warn(const Args& a, const std::string& text) {
        m_out.warnings.push_back("line " + std::to_string(a.line()) + ": " + text);
    }

    void define();
    Value blankClip(const Args& a);
    Value subtitle(const Args& a);
    Value resize(const Args& a);
    Value trim(const Args& a);
    Value convert(const Args& a, PixelType to);
    Value mpeg2Source(const Args& a);
    Value fileSource(const Args& a);
    Value deen(const Args& a);

    std::filesystem::path m_scriptFile;
    std::map<std::string, Function> m_functions;
    std::map<std::string, Value> m_variables;
    Evaluation m_out;
};

void Evaluator::define() {
    add("BlankClip",
        {{"clip", 'c'},
         {"length", 'i'},
         {"width", 'i'},
         {"height", 'i'},
         {"pixel_type", 's'},
         {"fps", 'f'},
         {"fps_denominator", 'i'},
         {"audio_rate", 'i'},
         {"channels", 'i'},
         {"sample_type", 's'},
         {"color", 'i'},
         {"color_yuv", 'i'}},
        false, [this](const Args& a) { return blankClip(a); });
    add("Subtitle",
        {{"clip", 'c'},
         {"text", 's'},
         {"x", 'f'},
         {"y", 'f'},
         {"first_frame", 'i'},
         {"last_frame", 'i'},
         {"font", 's'},
         {"size", 'f'},
         {"text_color", 'i'},
         {"halo_color", 'i'},
         {"align", 'i'},
         {"spc", 'i'},
         {"lsp", 'i'},
         {"font_width", 'f'},
         {"font_angle", 'f'},
         {"interlaced", 'b'}},
        true, [this](const Args& a) { return subtitle(a); });
    add("BilinearResize",
        {{"clip", 'c'},
         {"target_width", 'i'},
         {"target_height", 'i'},
         {"src_left", 'f'},
         {"src_top", 'f'},
         {"src_width", 'f'},
         {"src_height", 'f'}},
        true, [this](const Args& a) { return resize(a); });
    add("Trim", {{"clip", 'c'}, {"first_frame", 'i'}, {"last_frame", 'i'}, {"length", 'i'}, {"end", 'i'}, {"pad", 'b'}},
        true, [this](const Args& a) { return trim(a); });
    const std::vector<Param> convertParams{
        {"clip", 'c'}, {"interlaced", 'b'}, {"matrix", 's'}, {"chromaresample", 's'}};
    add("ConvertToYV12", convertParams, true, [this](const Args& a) { return convert(a, PixelType::YV12); });
    add("ConvertToYUY2", convertParams, true, [this](const Args& a) { return convert(a, PixelType::YUY2); });
    Function load{"LoadPlugin", {{"path", 's'}}, false, true, [this](const Args& a) -> Value {
                      m_out.plugins.push_back(pluginName(a.text("path", "")));
                      return std::monostate{};
                  }};
    m_functions["loadplugin"] = load;
    add("MPEG2Source",
        {{"d2v", 's'},
         {"idct", 'i'},
         {"cpu", 'i'},
         {"iPP", 'b'},
         {"moderate_h", 'i'},
         {"moderate_v", 'i'},
         {"cpu2", 's'},
         {"upConv", 'b'},
         {"iCC", 'b'},
         {"i420", 'b'},
         {"info", 'i'},
         {"showQ", 'b'},
         {"fastMC", 'b'}},
        false, [this](const Args& a) { return mpeg2Source(a); });
    const std::vector<Param> fileParams{{"source", 's'}, {"fps", 'f'},   {"framecount", 'i'}, {"pixel_type", 's'},
                                        {"audio", 'b'},  {"video", 'b'}, {"seek", 'b'},       {"convertfps", 'b'}};
    for (const char* name : {"DirectShowSource", "AviSource", "FFVideoSource", "FFmpegSource2", "LWLibavVideoSource"})
        add(name, fileParams, false, [this](const Args& a) { return fileSource(a); });
    add("Undot", {{"clip", 'c'}}, true, [this](const Args& a) -> Value {
        Clip c = *a.clip("clip");
        if (!isYuv(c.type))
            a.fail("needs a YV12 or YUY2 clip");
        Stage s;
        s.kind = Stage::Kind::Undot;
        c.add(s);
        return c;
    });
    add("Deen",
        {{"clip", 'c'},
         {"mode", 's'},
         {"rad", 'i'},
         {"thrY", 'i'},
         {"thrUV", 'i'},
         {"tthY", 'i'},
         {"tthUV", 'i'},
         {"min", 'f'}},
        true, [this](const Args& a) { return deen(a); });
}

Value Evaluator::blankClip(const Args& a) {
    Clip c;
    if (const Clip* t = a.clip("clip")) {
        c.width = t->width;
        c.height = t->height;
        c.fps = t->fps;
        c.frames = t->frames;
        c.type = t->type;
    }
    c.frames = a.integer("length", c.frames);
    c.width = a.integer("width", c.width);
    c.height = a.integer("height", c.height);
    if (a.has("pixel_type"))
        c.type = pixelTypeNamed(a, a.text("pixel_type", ""));
    if (a.has("fps_denominator")) {
        const int den = a.integer("fps_denominator", 1);
        if (den < 1)
            a.fail("fps_denominator must be positive");
        c.fps = reduced(static_cast<std::int64_t>(std::lround(a.number("fps", 24))), den);
    } else if (a.has("fps")) {
        c.fps = rateFromFloat(a.number("fps", 24));
    }
    if (c.fps.num <= 0)
        a.fail("the frame rate must be positive");
    if (c.frames < 0)
        a.fail("length must not be negative");
    checkSize(a, c.type, c.width, c.height);
    const auto color = static_cast<std::uint32_t>(a.integer("color", 0));
    c.source.generator = "color=c=" + hex6(rgbOf(color)) + ":s=" + std::to_string(c.width) + "x" +
                         std::to_string(c.height) + ":r=" + c.fps.text() + ",format=" + ffmpegFormat(c.type) +
                         ",trim=end_frame=" + std::to_string(c.frames);
    return c;
}

Value Evaluator::subtitle(const Args& a) {
    Clip c = *a.clip("clip");
    if (!a.has("text"))
        a.fail("the text is missing");
    SubtitleText s;
    s.text = a.text("text", "");
    const double x = a.number("x", -2), y = a.number("y", -2);
    s.align = a.integer("align", x == -1 ? 2 : 7);
    if (s.align < 1 || s.align > 9)
        a.fail("align must be 1 to 9");
    const int column = (s.align - 1) % 3; // 0 left, 1 centre, 2 right
    const int row = (s.align - 1) / 3;    // 0 bottom, 1 middle, 2 top
    s.x = a.has("x") ? x : (column == 0 ? 8 : column == 1 ? c.width / 2.0 : c.width - 8);
    s.y = a.has("y") ? y : (row == 2 ? 0 : row == 1 ? c.height / 2.0 : c.height - 2);
    if (s.x == -1)
        s.x = c.width / 2.0;
    if (s.y == -1)
        s.y = c.height / 2.0;
    s.firstFrame = a.integer("first_frame", 0);
    s.lastFrame = a.integer("last_frame", c.frames - 1);
    s.font = a.text("font", "Arial");
    s.size = a.number("size", 18);
    if (s.size <= 0)
        a.fail("size must be positive");
    s.textColor = static_cast<std::uint32_t>(a.integer("text_color", 0x00FFFF00));
    s.haloColor = static_cast<std::uint32_t>(a.integer("halo_color", 0));
    for (const char* extra : {"spc", "lsp", "font_width", "font_angle", "interlaced"})
        if (a.has(extra))
            warn(a, std::string("Subtitle: ") + extra + " is approximated (not drawn)");
    Stage st;
    st.kind = Stage::Kind::Subtitle;
    st.subtitle = s;
    c.add(st);
    return c;
}

Value Evaluator::resize(const Args& a) {
    Clip c = *a.clip("clip");
    if (!a.has("target_width") || !a.has("target_height"))
        a.fail("needs the target width and height");
    const int w = a.integer("target_width", 0), h = a.integer("target_height", 0);
    const double left = a.number("src_left", 0), top = a.number("src_top", 0);
    double sw = a.number("src_width", c.width), sh = a.number("src_height", c.height);
    if (sw <= 0)
        sw = c.width - left + sw; // zero or negative: a crop from the right
    if (sh <= 0)
        sh = c.height - top + sh;
    if (left < 0 || top < 0 || sw <= 0 || sh <= 0 || left + sw > c.width || top + sh > c.height)
        a.fail("the source window lies outside the clip");
    checkSize(a, c.type, w, h);
    const bool cropped = left != 0 || top != 0 || sw != c.width || sh != c.height;
    if (cropped) {
        std::ostringstream crop;
        crop.imbue(std::locale::classic());
        crop << "crop=w=" << sw << ":h=" << sh << ":x=" << left << ":y=" << top << ":exact=1";
        c.addFilter(crop.str());
    }
    if (cropped || w != c.width || h != c.height) {
        c.addFilter("scale=w=" + std::to_string(w) + ":h=" + std::to_string(h) + ":flags=bilinear");
        c.width = w;
        c.height = h;
    }
    return c;
}

Value Evaluator::trim(const Args& a) {
    Clip c = *a.clip("clip");
    if (!a.has("first_frame"))
        a.fail("the first frame is missing");
    const int first = a.integer("first_frame", 0);
    int last = a.integer("last_frame", 0);
    const int given = (a.has("last_frame") ? 1 : 0) + (a.has("length") ? 1 : 0) + (a.has("end") ? 1 : 0);
    if (given > 1)
        a.fail("give only one of last_frame, length and end");
    if (a.has("length")) {
        const int length = a.integer("length", 0);
        if (length < 0)
            a.fail("length must not be negative");
        last = length == 0 ? 0 : -length;
    } else if (a.has("end")) {
        last = a.integer("end", 0);
        if (last < first)
            a.fail("end must not come before the first frame");
        if (last == 0)
            last = -1; // end=0 with first 0: the one frame 0
    }
    const FrameRange r = trimRange(c.frames, first, last);
    if (r.first != 0 || r.last != c.frames - 1)
        c.addFilter("trim=start_frame=" + std::to_string(r.first) + ":end_frame=" + std::to_string(r.last + 1) +
                    ",setpts=PTS-STARTPTS");
    c.frames = r.last - r.first + 1;
    return c;
}

Value Evaluator::convert(const Args& a, PixelType to) {
    Clip c = *a.clip("clip");
    const bool interlaced = a.flag("interlaced", false);
    if (c.type == to)
        return c;
    checkSize(a, to, c.width, c.height, interlaced);
    if (interlaced && to == PixelType::YV12)
        c.addFilter(std::string("scale=w=iw:h=ih:interl=1,format=") + ffmpegFormat(to));
    else
        c.addFilter(std::string("format=") + ffmpegFormat(to));
    c.type = to;
    return c;
}

Value Evaluator::mpeg2Source(const Args& a) {
    if (!a.has("d2v"))
        a.fail("the .d2v file name is missing");
    const std::filesystem::path d2vPath = resolveMedia(a.text("d2v", ""), m_scriptFile);
    std::ifstream in(d2vPath, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    if (!in)
        throw MediaError("cannot read " + d2vPath.string());
    D2vProject d;
    try {
        d = parseD2v(bytes.str());
    } catch (const std::runtime_error& e) {
        a.fail(d2vPath.string() + ": " + e.what());
    }
    Clip c;
    c.type = a.flag("upConv", false) ? PixelType::YUY2 : PixelType::YV12;
    for (const std::string& f : d.files) {
        std::filesystem::path p = resolveMedia(f, d2vPath);
        if (p.string().find('|') != std::string::npos)
            throw MediaError("FFmpeg cannot join a file whose name holds '|': " + p.string());
        c.source.files.push_back(std::move(p));
    }
    std::string chain;
    if (d.fieldOperation == 0)
        chain = "repeatfields,";
    const auto& cl = d.clipping;
    if (cl[0] != 0 || cl[1] != 0 || cl[2] != 0 || cl[3] != 0)
        chain += "crop=w=iw-" + std::to_string(cl[0] + cl[1]) + ":h=ih-" + std::to_string(cl[2] + cl[3]) +
                 ":x=" + std::to_string(cl[0]) + ":y=" + std::to_string(cl[2]) + ":exact=1,";
    if (d.fieldOperation == 1)
        warn(a, "Mpeg2Source: Field_Operation 1 (force film) shows the coded frames at the d2v's rate");
    if (a.integer("cpu", 0) > 0)
        warn(a, "Mpeg2Source: cpu post-processing is not applied");
    c.fps = d.frameRate;
    c.frames = d.frames;
    c.width = d.width;
    c.height = d.height;
    chain += std::string("format=") + ffmpegFormat(c.type) + ",trim=end_frame=" + std::to_string(c.frames) +
             ",setpts=N/(" + c.fps.text() + ")/TB";
    c.source.afterInput = chain;
    return c;
}

Value Evaluator::fileSource(const Args& a) {
    if (!a.has("source"))
        a.fail("the file name is missing");
    const std::filesystem::path file = resolveMedia(a.text("source", ""), m_scriptFile);
    const Captured probe = runCapture({"ffprobe", "-v", "error", "-select_streams", "v:0", "-count_packets",
                                       "-show_entries", "stream=width,height,r_frame_rate,pix_fmt,nb_read_packets",
                                       "-of", "default=noprint_wrappers=1", file.string()});
    if (probe.exitCode != 0)
        throw MediaError("FFmpeg cannot read the video of " + file.string());
    std::map<std::string, std::string> info;
    std::istringstream lines(probe.output);
    for (std::string line; std::getline(lines, line);)
        if (const std::size_t eq = line.find('='); eq != std::string::npos)
            info[line.substr(0, eq)] = line.substr(eq + 1);
    Clip c;
    c.width = std::atoi(info["width"].c_str());
    c.height = std::atoi(info["height"].c_str());
    c.frames = std::atoi(info["nb_read_packets"].c_str());
    const std::string rate = info["r_frame_rate"];
    const std::size_t slash = rate.find('/');
    if (c.width < 1 || c.height < 1 || slash == std::string::npos)
        throw MediaError("no video stream in " + file.string());
    c.fps = reduced(std::atoll(rate.c_str()), std::max(1LL, std::atoll(rate.c_str() + slash + 1)));
    if (a.has("fps"))
        c.fps = rateFromFloat(a.number("fps", 25));
    if (a.has("framecount"))
        c.frames = a.integer("framecount", c.frames);
    const std::string fmt = info["pix_fmt"];
    c.type = fmt.rfind("yuv422", 0) == 0                                                          ? PixelType::YUY2
             : (fmt.rfind("rgb", 0) == 0 || fmt.rfind("bgr", 0) == 0 || fmt.rfind("gbr", 0) == 0) ? PixelType::RGB32
                                                                                                  : PixelType::YV12;
    if (a.has("pixel_type"))
        c.type = pixelTypeNamed(a, a.text("pixel_type", ""));
    checkSize(a, c.type, c.width, c.height);
    c.source.files.push_back(file);
    c.source.afterInput = std::string("format=") + ffmpegFormat(c.type) +
                          ",trim=end_frame=" + std::to_string(c.frames) + ",setpts=N/(" + c.fps.text() + ")/TB";
    return c;
}

Value Evaluator::deen(const Args& a) {
    Clip c = *a.clip("clip");
    if (!isYuv(c.type))
        a.fail("needs a YV12 or YUY2 clip");
    DeenSettings d;
    d.mode = lower(a.text("mode", d.mode));
    d.radius = a.integer("rad", d.radius);
    d.thrY = a.integer("thrY", d.thrY);
    d.thrUV = a.integer("thrUV", d.thrUV);
    d.tthY = a.integer("tthY", d.tthY);
    d.tthUV = a.integer("tthUV", d.tthUV);
    d.min = a.number("min", d.min);
    const bool knownMode = d.mode.size() == 3 && (d.mode[0] == 'a' || d.mode[0] == 'c' || d.mode[0] == 'w') &&
                           (d.mode.substr(1) == "2d" || d.mode.substr(1) == "3d");
    if (!knownMode)
        a.fail("the mode \"" + d.mode + "\" is not one of a2d, a3d, c2d, c3d, w2d, w3d");
    if (d.radius < 1 || d.radius > 7)
        a.fail("rad must be 1 to 7");
    if (d.mode.substr(1) == "3d" && (d.tthY > 0 || d.tthUV > 0))
        warn(a, "Deen: the temporal part (tthY/tthUV) is not applied; the spatial mean is");
    if (d.mode[0] == 'w')
        warn(a, "Deen: mode w is approximated by the plain thresholded mean");
    Stage s;
    s.kind = Stage::Kind::Deen;
    s.deen = d;
    c.add(s);
    return c;
}

} // namespace

Evaluation evaluate(std::string_view script, const std::filesystem::path& scriptFile) {
    return Evaluator(scriptFile).run(script);
}

} // namespace quire::avs
