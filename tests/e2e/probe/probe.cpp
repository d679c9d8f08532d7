// scrimble-probe: a console helper that looks at running Win32 windows from
// outside and prints what it sees as one line of JSON (UTF-8). The end-to-end
// tests run it under Wine next to Scrimble.exe.
//
//   probe tree <title>             the window with that exact title and every
//                                  descendant control
//   probe focus <title>            the focused control of that window's thread
//   probe clipboard [--at x,y]...  formats on the clipboard, bitmap summary
//   probe msgbox [--press <text>]  top-level dialogs (#32770) of any process
//   probe windows                  visible top-level windows
//   probe textfit <title>          each control's text measured in its font
//                                  against the room the control gives it
//   probe post <title> <msg> <wparam> <lparam>
//                                  posts a message to that window (numbers)
//   probe resources <title>        GDI and USER objects of the process that
//                                  owns the window, as far as the system tells
//   probe serve                    reads commands from stdin, one per line,
//                                  arguments separated by tabs; answers each
//                                  with one JSON line
//
// Titles may be given as "hex:<UTF-8 bytes in hex>" where a shell or a
// terminal cannot be trusted with non-ASCII text.
#include <windows.h>
#include <commctrl.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------- text

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

// "hex:e4b8ad" -> UTF-16 of those UTF-8 bytes; anything else unchanged.
std::wstring DecodeTitle(const std::wstring& arg) {
  if (arg.rfind(L"hex:", 0) != 0) return arg;
  std::string bytes;
  for (size_t i = 4; i + 1 < arg.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(ToUtf8(arg.substr(i, 2)), nullptr, 16)));
  }
  return FromUtf8(bytes);
}

// ---------------------------------------------------------------- JSON

// Builds compact JSON text; the caller is trusted to nest calls correctly.
class Json {
 public:
  Json& BeginObject() { Separate(); out_ += '{'; first_.push_back(true); return *this; }
  Json& EndObject() { out_ += '}'; first_.pop_back(); return *this; }
  Json& BeginArray() { Separate(); out_ += '['; first_.push_back(true); return *this; }
  Json& EndArray() { out_ += ']'; first_.pop_back(); return *this; }
  Json& Key(const char* key) {
    Separate();
    AppendString(key);
    out_ += ':';
    after_key_ = true;
    return *this;
  }
  Json& Str(const std::string& value) { Separate(); AppendString(value); return *this; }
  Json& Str(const std::wstring& value) { return Str(ToUtf8(value)); }
  Json& Int(long long value) { Separate(); out_ += std::to_string(value); return *this; }
  Json& Num(double value) {
    Separate();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4f", value);
    out_ += buffer;
    return *this;
  }
  Json& Bool(bool value) { Separate(); out_ += value ? "true" : "false"; return *this; }
  Json& Null() { Separate(); out_ += "null"; return *this; }
  const std::string& Text() const { return out_; }

 private:
  void Separate() {
    if (after_key_) { after_key_ = false; return; }
    if (!first_.empty()) {
      if (!first_.back()) out_ += ',';
      first_.back() = false;
    }
  }
  void AppendString(const std::string& value) {
    out_ += '"';
    for (unsigned char c : value) {
      switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        default:
          if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out_ += buffer;
          } else {
            out_ += static_cast<char>(c);
          }
      }
    }
    out_ += '"';
  }

  std::string out_;
  std::vector<bool> first_;
  bool after_key_ = false;
};

// ---------------------------------------------------------------- windows

constexpr UINT kTimeoutMs = 5000;

// Sends a message that the system marshals between processes; a hung target
// yields 0 instead of hanging the probe.
LRESULT Ask(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_ABORTIFHUNG, kTimeoutMs, &result)) {
    return 0;
  }
  return static_cast<LRESULT>(result);
}

std::wstring WindowText(HWND hwnd) {
  LRESULT length = Ask(hwnd, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  LRESULT copied = Ask(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return std::wstring(buffer.data(), static_cast<size_t>(std::max<LRESULT>(0, copied)));
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t buffer[256] = {};
  GetClassNameW(hwnd, buffer, 256);
  return buffer;
}

bool ClassIs(HWND hwnd, const wchar_t* name) { return lstrcmpiW(ClassOf(hwnd).c_str(), name) == 0; }

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
  ReleaseDC(nullptr, screen);
  return dpi;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> found;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindTopLevel(const std::wstring& title) {
  HWND hidden = nullptr;
  for (HWND hwnd : TopLevelWindows()) {
    if (WindowText(hwnd) != title) continue;
    if (IsWindowVisible(hwnd)) return hwnd;
    if (!hidden) hidden = hwnd;
  }
  return hidden;
}

// The top-level window a command is about, with the answer's object begun.
// Null when there is none; the answer is then complete, and the command
// returns kNotFound.
constexpr int kNotFound = 2;
HWND BeginAnswerAbout(Json& json, const std::wstring& title) {
  HWND top = FindTopLevel(title);
  json.BeginObject();
  if (!top) json.Key("error").Str("window not found").Key("title").Str(title).EndObject();
  return top;
}

void WriteRect(Json& json, const char* key, const RECT& r) {
  json.Key(key).BeginObject();
  json.Key("x").Int(r.left).Key("y").Int(r.top);
  json.Key("w").Int(r.right - r.left).Key("h").Int(r.bottom - r.top);
  json.EndObject();
}

void WriteTopLevelSummary(Json& json, HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  json.Key("hwnd").Int(static_cast<long long>(reinterpret_cast<uintptr_t>(hwnd)));
  json.Key("title").Str(WindowText(hwnd));
  json.Key("class").Str(ClassOf(hwnd));
  json.Key("pid").Int(pid);
  json.Key("visible").Bool(IsWindowVisible(hwnd) != FALSE);
  json.Key("enabled").Bool(IsWindowEnabled(hwnd) != FALSE);
  WriteRect(json, "rect", rect);
}

// ---------------------------------------------------------------- tree

const char* ButtonKind(LONG style) {
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON: return "push";
    case BS_DEFPUSHBUTTON: return "defpush";
    case BS_CHECKBOX: return "checkbox";
    case BS_AUTOCHECKBOX: return "autocheckbox";
    case BS_RADIOBUTTON: return "radio";
    case BS_3STATE: return "3state";
    case BS_AUTO3STATE: return "auto3state";
    case BS_GROUPBOX: return "groupbox";
    case BS_AUTORADIOBUTTON: return "autoradio";
    case BS_OWNERDRAW: return "ownerdraw";
    default: return "other";
  }
}

void WriteButton(Json& json, HWND hwnd, LONG style) {
  json.Key("button").BeginObject();
  json.Key("kind").Str(ButtonKind(style));
  json.Key("check").Int(Ask(hwnd, BM_GETCHECK, 0, 0));
  json.Key("bitmap").Bool((style & BS_BITMAP) != 0);
  json.Key("icon").Bool((style & BS_ICON) != 0);
  json.Key("has_image").Bool(Ask(hwnd, BM_GETIMAGE, IMAGE_BITMAP, 0) != 0 ||
                             Ask(hwnd, BM_GETIMAGE, IMAGE_ICON, 0) != 0);
  json.EndObject();
}

void WriteCombo(Json& json, HWND hwnd, LONG style) {
  json.Key("combo").BeginObject();
  const char* kind = "simple";
  if ((style & 3) == CBS_DROPDOWN) kind = "dropdown";
  if ((style & 3) == CBS_DROPDOWNLIST) kind = "dropdownlist";
  json.Key("kind").Str(kind);
  json.Key("sorted").Bool((style & CBS_SORT) != 0);
  LRESULT count = Ask(hwnd, CB_GETCOUNT, 0, 0);
  json.Key("selected").Int(Ask(hwnd, CB_GETCURSEL, 0, 0));
  json.Key("dropped").Bool(Ask(hwnd, CB_GETDROPPEDSTATE, 0, 0) != 0);
  json.Key("items").BeginArray();
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = Ask(hwnd, CB_GETLBTEXTLEN, i, 0);
    std::vector<wchar_t> buffer(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1);
    LRESULT copied = Ask(hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
    json.Str(std::wstring(buffer.data(), static_cast<size_t>(std::max<LRESULT>(copied, 0))));
  }
  json.EndArray();
  json.EndObject();
}

void WriteEdit(Json& json, HWND hwnd, LONG style) {
  json.Key("edit").BeginObject();
  json.Key("limit").Int(static_cast<long long>(static_cast<DWORD>(Ask(hwnd, EM_GETLIMITTEXT, 0, 0))));
  json.Key("multiline").Bool((style & ES_MULTILINE) != 0);
  json.Key("readonly").Bool((style & ES_READONLY) != 0);
  json.Key("password").Bool((style & ES_PASSWORD) != 0);
  json.Key("number").Bool((style & ES_NUMBER) != 0);
  const char* align = "left";
  if (style & ES_RIGHT) align = "right";
  if (style & ES_CENTER) align = "center";
  json.Key("align").Str(align);
  // The packed return value avoids pointers, which do not cross processes.
  auto selection = static_cast<DWORD>(Ask(hwnd, EM_GETSEL, 0, 0));
  json.Key("sel_start").Int(LOWORD(selection)).Key("sel_end").Int(HIWORD(selection));
  json.EndObject();
}

void WriteStatic(Json& json, HWND hwnd, LONG style) {
  json.Key("static").BeginObject();
  json.Key("type").Int(style & SS_TYPEMASK);
  json.Key("has_image").Bool(Ask(hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0);
  json.EndObject();
}

void WriteControl(Json& json, HWND top, HWND hwnd, HWND parent, int depth, int z) {
  LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  LONG exstyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
  std::wstring cls = ClassOf(hwnd);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&rect), 2);

  json.BeginObject();
  json.Key("hwnd").Int(static_cast<long long>(reinterpret_cast<uintptr_t>(hwnd)));
  json.Key("parent").Int(static_cast<long long>(reinterpret_cast<uintptr_t>(parent)));
  json.Key("depth").Int(depth);
  json.Key("z").Int(z);
  json.Key("class").Str(cls);
  json.Key("id").Int(GetDlgCtrlID(hwnd));
  json.Key("text").Str(WindowText(hwnd));
  WriteRect(json, "rect", rect);
  json.Key("enabled").Bool(IsWindowEnabled(hwnd) != FALSE);
  json.Key("visible").Bool(IsWindowVisible(hwnd) != FALSE);
  json.Key("tabstop").Bool((style & WS_TABSTOP) != 0);
  json.Key("style").Int(static_cast<DWORD>(style));
  json.Key("exstyle").Int(static_cast<DWORD>(exstyle));
  if (lstrcmpiW(cls.c_str(), L"Button") == 0) WriteButton(json, hwnd, style);
  if (lstrcmpiW(cls.c_str(), L"ComboBox") == 0) WriteCombo(json, hwnd, style);
  if (lstrcmpiW(cls.c_str(), L"Edit") == 0) WriteEdit(json, hwnd, style);
  if (lstrcmpiW(cls.c_str(), L"Static") == 0) WriteStatic(json, hwnd, style);
  json.EndObject();
}

// Depth-first in z-order, so each control's "z" is its place among siblings
// (0 = topmost) and parents come before their children.
void WriteDescendants(Json& json, HWND top, HWND parent, int depth) {
  int z = 0;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    WriteControl(json, top, child, parent, depth, z++);
    WriteDescendants(json, top, child, depth + 1);
  }
}

int Tree(Json& json, const std::wstring& title) {
  HWND top = BeginAnswerAbout(json, title);
  if (!top) return kNotFound;
  LONG style = GetWindowLongW(top, GWL_STYLE);
  RECT client{};
  GetClientRect(top, &client);
  POINT origin{0, 0};
  ClientToScreen(top, &origin);
  WriteTopLevelSummary(json, top);
  json.Key("client").BeginObject().Key("w").Int(client.right).Key("h").Int(client.bottom).EndObject();
  json.Key("client_origin").BeginObject().Key("x").Int(origin.x).Key("y").Int(origin.y).EndObject();
  json.Key("style").BeginObject();
  json.Key("raw").Int(static_cast<DWORD>(style));
  json.Key("minimizebox").Bool((style & WS_MINIMIZEBOX) != 0);
  json.Key("maximizebox").Bool((style & WS_MAXIMIZEBOX) != 0);
  json.Key("thickframe").Bool((style & WS_THICKFRAME) != 0);
  json.Key("sysmenu").Bool((style & WS_SYSMENU) != 0);
  json.Key("caption").Bool((style & WS_CAPTION) == WS_CAPTION);
  json.EndObject();
  // Wine keeps the X11 window of a top-level window in this property; the
  // tests send keys to it with xdotool. 0 outside Wine.
  json.Key("x11_window").Int(static_cast<long long>(
      reinterpret_cast<uintptr_t>(GetPropW(top, L"__wine_x11_whole_window"))));
  json.Key("minimized").Bool(IsIconic(top) != FALSE);
  json.Key("dpi").Int(SystemDpi());
  json.Key("foreground").Bool(GetForegroundWindow() == top);
  json.Key("controls").BeginArray();
  WriteDescendants(json, top, top, 0);
  json.EndArray();

  // Tooltip windows belong to the same thread; only the shown text is
  // reachable from outside (TTM_ENUMTOOLS does not cross processes).
  DWORD thread = GetWindowThreadProcessId(top, nullptr);
  json.Key("tooltips").BeginArray();
  for (HWND hwnd : TopLevelWindows()) {
    if (!ClassIs(hwnd, TOOLTIPS_CLASSW)) continue;
    if (GetWindowThreadProcessId(hwnd, nullptr) != thread) continue;
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    json.BeginObject();
    json.Key("text").Str(WindowText(hwnd));
    json.Key("visible").Bool(IsWindowVisible(hwnd) != FALSE);
    WriteRect(json, "rect", rect);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  return 0;
}

// ---------------------------------------------------------------- focus

void WriteWindowRef(Json& json, const char* key, HWND hwnd) {
  json.Key(key);
  if (!hwnd) {
    json.Null();
    return;
  }
  json.BeginObject();
  json.Key("hwnd").Int(static_cast<long long>(reinterpret_cast<uintptr_t>(hwnd)));
  json.Key("class").Str(ClassOf(hwnd));
  json.Key("id").Int(GetDlgCtrlID(hwnd));
  json.Key("text").Str(WindowText(hwnd));
  json.EndObject();
}

int Focus(Json& json, const std::wstring& title) {
  HWND top = BeginAnswerAbout(json, title);
  if (!top) return kNotFound;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(top, nullptr);
  if (!GetGUIThreadInfo(thread, &info)) {
    json.Key("error").Str("GetGUIThreadInfo failed").EndObject();
    return 1;
  }
  HWND focus = info.hwndFocus;
  // The edit inside a combo box takes the focus for it; report the combo box.
  HWND owner = focus;
  if (focus && GetParent(focus) && ClassIs(GetParent(focus), L"ComboBox")) owner = GetParent(focus);
  WriteWindowRef(json, "focus", owner);
  WriteWindowRef(json, "focus_raw", focus);
  WriteWindowRef(json, "active", info.hwndActive);
  HWND foreground = GetForegroundWindow();
  json.Key("foreground_title");
  if (foreground) json.Str(WindowText(foreground)); else json.Null();
  json.Key("foreground_is_window").Bool(foreground == top);
  json.EndObject();
  return 0;
}

// ---------------------------------------------------------------- clipboard

std::wstring FormatName(UINT format) {
  switch (format) {
    case CF_TEXT: return L"CF_TEXT";
    case CF_BITMAP: return L"CF_BITMAP";
    case CF_METAFILEPICT: return L"CF_METAFILEPICT";
    case CF_SYLK: return L"CF_SYLK";
    case CF_DIF: return L"CF_DIF";
    case CF_TIFF: return L"CF_TIFF";
    case CF_OEMTEXT: return L"CF_OEMTEXT";
    case CF_DIB: return L"CF_DIB";
    case CF_PALETTE: return L"CF_PALETTE";
    case CF_UNICODETEXT: return L"CF_UNICODETEXT";
    case CF_ENHMETAFILE: return L"CF_ENHMETAFILE";
    case CF_LOCALE: return L"CF_LOCALE";
    case CF_DIBV5: return L"CF_DIBV5";
    default: break;
  }
  wchar_t buffer[256] = {};
  if (GetClipboardFormatNameW(format, buffer, 256) > 0) return buffer;
  return L"#" + std::to_wstring(format);
}

struct ScreenDc {
  HDC dc = GetDC(nullptr);
  ~ScreenDc() { if (dc) ReleaseDC(nullptr, dc); }
};

struct MemoryDc {
  HDC dc;
  explicit MemoryDc(HDC reference) : dc(CreateCompatibleDC(reference)) {}
  ~MemoryDc() { if (dc) DeleteDC(dc); }
};

// Top-down 32-bit copy of a bitmap's pixels, 0x00RRGGBB each.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> data;
  uint32_t At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
};

bool ReadBitmap(HBITMAP bitmap, HPALETTE palette, Pixels& out) {
  BITMAP info{};
  if (!GetObjectW(bitmap, sizeof info, &info)) return false;
  out.width = info.bmWidth;
  out.height = info.bmHeight;
  out.data.assign(static_cast<size_t>(out.width) * out.height, 0);
  BITMAPINFO request{};
  request.bmiHeader.biSize = sizeof request.bmiHeader;
  request.bmiHeader.biWidth = out.width;
  request.bmiHeader.biHeight = -out.height;
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  ScreenDc screen;
  HPALETTE previous = nullptr;
  if (palette) {
    previous = SelectPalette(screen.dc, palette, FALSE);
    RealizePalette(screen.dc);
  }
  int lines = GetDIBits(screen.dc, bitmap, 0, out.height, out.data.data(), &request, DIB_RGB_COLORS);
  if (palette) SelectPalette(screen.dc, previous, FALSE);
  return lines == out.height;
}

bool ReadPackedDib(const BITMAPINFO* dib, size_t size, Pixels& out) {
  const BITMAPINFOHEADER& header = dib->bmiHeader;
  if (size < sizeof header) return false;
  out.width = header.biWidth;
  out.height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  size_t colours = header.biClrUsed;
  if (colours == 0 && header.biBitCount <= 8) colours = size_t{1} << header.biBitCount;
  size_t masks = (header.biCompression == BI_BITFIELDS && header.biSize == sizeof header) ? 3 : 0;
  const BYTE* bits = reinterpret_cast<const BYTE*>(dib) + header.biSize + (masks + colours) * sizeof(RGBQUAD);

  BITMAPINFO request{};
  request.bmiHeader.biSize = sizeof request.bmiHeader;
  request.bmiHeader.biWidth = out.width;
  request.bmiHeader.biHeight = -out.height;
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  void* target = nullptr;
  ScreenDc screen;
  HBITMAP section = CreateDIBSection(screen.dc, &request, DIB_RGB_COLORS, &target, nullptr, 0);
  if (!section) return false;
  MemoryDc memory(screen.dc);
  HGDIOBJ previous = SelectObject(memory.dc, section);
  int lines = SetDIBitsToDevice(memory.dc, 0, 0, out.width, out.height, 0, 0, 0, out.height, bits,
                                dib, DIB_RGB_COLORS);
  GdiFlush();
  out.data.assign(static_cast<const uint32_t*>(target),
                  static_cast<const uint32_t*>(target) + static_cast<size_t>(out.width) * out.height);
  SelectObject(memory.dc, previous);
  DeleteObject(section);
  return lines > 0;
}

std::string Hex(uint32_t rgb) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%06x", rgb & 0xffffff);
  return buffer;
}

void WritePixelSummary(Json& json, const Pixels& pixels, const std::vector<POINT>& points) {
  std::map<uint32_t, size_t> counts;
  for (uint32_t p : pixels.data) ++counts[p & 0xffffff];
  std::vector<std::pair<size_t, uint32_t>> ranked;
  for (const auto& [colour, count] : counts) ranked.emplace_back(count, colour);
  std::sort(ranked.rbegin(), ranked.rend());
  double total = pixels.data.empty() ? 1.0 : static_cast<double>(pixels.data.size());
  json.Key("distinct_colours").Int(static_cast<long long>(counts.size()));
  json.Key("top_colours").BeginArray();
  for (size_t i = 0; i < ranked.size() && i < 5; ++i) {
    json.BeginObject().Key("rgb").Str(Hex(ranked[i].second)).Key("share").Num(ranked[i].first / total).EndObject();
  }
  json.EndArray();
  json.Key("at").BeginArray();
  for (const POINT& p : points) {
    json.BeginObject().Key("x").Int(p.x).Key("y").Int(p.y).Key("rgb");
    if (p.x >= 0 && p.y >= 0 && p.x < pixels.width && p.y < pixels.height) {
      json.Str(Hex(pixels.At(p.x, p.y)));
    } else {
      json.Null();
    }
    json.EndObject();
  }
  json.EndArray();
}

class ClipboardSession {
 public:
  ClipboardSession() {
    for (int attempt = 0; attempt < 20 && !open_; ++attempt) {
      open_ = OpenClipboard(nullptr) != FALSE;
      if (!open_) Sleep(100);
    }
  }
  ~ClipboardSession() { if (open_) CloseClipboard(); }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  bool open() const { return open_; }

 private:
  bool open_ = false;
};

int Clipboard(Json& json, const std::vector<POINT>& points) {
  json.BeginObject();
  ClipboardSession session;
  if (!session.open()) {
    json.Key("error").Str("cannot open the clipboard").EndObject();
    return 1;
  }
  json.Key("formats").BeginArray();
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
    json.Str(FormatName(format));
  }
  json.EndArray();

  if (HANDLE text = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* chars = static_cast<const wchar_t*>(GlobalLock(text))) {
      json.Key("text").Str(std::wstring(chars));
      GlobalUnlock(text);
    }
  }

  if (auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
    BITMAP info{};
    bool readable = GetObjectW(bitmap, sizeof info, &info) != 0;
    json.Key("bitmap").BeginObject();
    // Under Wine a 64-bit reader gets a dead handle for a 32-bit owner's
    // bitmap; say so rather than report an empty picture.
    if (!readable) json.Key("error").Str("bitmap handle unreadable here; use the probe built for the owner's bitness");
    json.Key("width").Int(info.bmWidth).Key("height").Int(info.bmHeight);
    json.Key("bits").Int(info.bmBitsPixel);
    Pixels pixels;
    auto palette = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
    if (ReadBitmap(bitmap, palette, pixels)) WritePixelSummary(json, pixels, points);
    json.EndObject();
  }

  if (HANDLE dib = GetClipboardData(CF_DIB)) {
    if (auto* info = static_cast<const BITMAPINFO*>(GlobalLock(dib))) {
      const BITMAPINFOHEADER& header = info->bmiHeader;
      json.Key("dib").BeginObject();
      json.Key("width").Int(header.biWidth).Key("height").Int(header.biHeight);
      json.Key("bits").Int(header.biBitCount).Key("compression").Int(header.biCompression);
      json.Key("colours_used").Int(header.biClrUsed);
      Pixels pixels;
      if (ReadPackedDib(info, GlobalSize(dib), pixels)) WritePixelSummary(json, pixels, points);
      json.EndObject();
      GlobalUnlock(dib);
    }
  }
  json.EndObject();
  return 0;
}

// ---------------------------------------------------------------- text fit

// Wine passes no WM_GETFONT between processes, so texts are measured in the
// font the window gives its controls: the system's message font, which a
// DPI-aware process gets at the system DPI, the window's on one monitor.
SIZE TextSize(HDC dc, const std::wstring& text, LONG wrapWidth = 0) {
  RECT rect{0, 0, wrapWidth, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
            DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wrapWidth ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE));
  return {rect.right, rect.bottom};
}

// The client size a control needs to show its text unclipped, by how each
// kind lays it out; false for controls that show no text of their own.
bool NeededSize(HWND hwnd, HDC dc, SIZE& need) {
  const LONG kind = GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
  const bool button = ClassIs(hwnd, L"Button");
  const std::wstring text = WindowText(hwnd);
  RECT client{};
  GetClientRect(hwnd, &client);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  need = TextSize(dc, text);
  if (ClassIs(hwnd, L"Static")) {
    need = TextSize(dc, text, client.right);  // wrapped, as SS_EDITCONTROL does
  } else if (button && kind == BS_GROUPBOX) {
    need.cx += 2 * metrics.tmAveCharWidth;  // the caption is indented in the top edge
  } else if (button && kind != BS_OWNERDRAW && kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON) {
    need.cx += GetSystemMetrics(SM_CXMENUCHECK) + metrics.tmAveCharWidth / 2;  // the box and a gap
  } else if (ClassIs(hwnd, L"Edit")) {
    const auto margins = static_cast<DWORD>(Ask(hwnd, EM_GETMARGINS, 0, 0));
    need.cx += LOWORD(margins) + HIWORD(margins);
  } else if (ClassIs(hwnd, L"ComboBox")) {
    // The widest item beside the drop-down button, inside the 3-D edge with
    // a pixel of room around it.
    need.cx = 0;
    for (LRESULT i = 0, count = Ask(hwnd, CB_GETCOUNT, 0, 0); i < count; ++i) {
      std::vector<wchar_t> item(static_cast<size_t>(std::max<LRESULT>(Ask(hwnd, CB_GETLBTEXTLEN, i, 0), 0)) + 1);
      Ask(hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
      need.cx = std::max(need.cx, TextSize(dc, item.data()).cx);
    }
    need.cx += GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE) + 2;
    need.cy += 2 * GetSystemMetrics(SM_CYEDGE) + 2;
  } else {
    return false;  // picture buttons (their text is their accessible name), the preview, the status bar
  }
  return true;
}

int TextFit(Json& json, const std::wstring& title) {
  HWND top = BeginAnswerAbout(json, title);
  if (!top) return kNotFound;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  ScreenDc screen;
  HGDIOBJ previous = SelectObject(screen.dc, font);
  json.Key("controls").BeginArray();
  for (HWND hwnd = GetWindow(top, GW_CHILD); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
    SIZE need{};
    if (!NeededSize(hwnd, screen.dc, need)) continue;
    RECT client{};
    GetClientRect(hwnd, &client);
    json.BeginObject();
    json.Key("id").Int(GetDlgCtrlID(hwnd)).Key("text").Str(WindowText(hwnd));
    json.Key("client").BeginObject().Key("w").Int(client.right).Key("h").Int(client.bottom).EndObject();
    json.Key("need").BeginObject().Key("w").Int(need.cx).Key("h").Int(need.cy).EndObject();
    json.EndObject();
  }
  json.EndArray();
  SelectObject(screen.dc, previous);
  DeleteObject(font);
  json.EndObject();
  return 0;
}

// ---------------------------------------------------------------- message boxes

std::wstring WithoutMnemonic(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    out.push_back(text[i]);
  }
  return out;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    found.push_back(child);
  }
  return found;
}

int MessageBoxes(Json& json, const std::wstring& press) {
  json.BeginObject();
  json.Key("dialogs").BeginArray();
  bool pressed = false;
  for (HWND dialog : TopLevelWindows()) {
    if (!IsWindowVisible(dialog) || !ClassIs(dialog, L"#32770")) continue;
    json.BeginObject();
    WriteTopLevelSummary(json, dialog);
    HWND owner = GetWindow(dialog, GW_OWNER);
    json.Key("owner_title");
    if (owner) json.Str(WindowText(owner)); else json.Null();
    json.Key("texts").BeginArray();
    for (HWND child : Children(dialog)) {
      if (ClassIs(child, L"Static") && IsWindowVisible(child)) {
        std::wstring text = WindowText(child);
        if (!text.empty()) json.Str(text);
      }
    }
    json.EndArray();
    json.Key("buttons").BeginArray();
    for (HWND child : Children(dialog)) {
      if (!ClassIs(child, L"Button") || !IsWindowVisible(child)) continue;
      std::wstring text = WithoutMnemonic(WindowText(child));
      json.BeginObject().Key("text").Str(text).Key("id").Int(GetDlgCtrlID(child)).EndObject();
      if (!pressed && !press.empty() && lstrcmpiW(text.c_str(), press.c_str()) == 0) {
        // Posted, so a dialog that closes its owner's message loop cannot
        // block the probe.
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED),
                     reinterpret_cast<LPARAM>(child));
        pressed = true;
      }
    }
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
  if (!press.empty()) json.Key("pressed").Bool(pressed);
  json.EndObject();
  return (!press.empty() && !pressed) ? 2 : 0;
}

// ---------------------------------------------------------------- windows

int Windows(Json& json) {
  json.BeginObject().Key("windows").BeginArray();
  for (HWND hwnd : TopLevelWindows()) {
    if (!IsWindowVisible(hwnd)) continue;
    json.BeginObject();
    WriteTopLevelSummary(json, hwnd);
    json.EndObject();
  }
  json.EndArray().EndObject();
  return 0;
}

// ---------------------------------------------------------------- resources

struct ProcessWindows {
  DWORD pid;
  int count;
};

BOOL CALLBACK CountChildWindow(HWND, LPARAM param) {
  ++reinterpret_cast<ProcessWindows*>(param)->count;
  return TRUE;
}

BOOL CALLBACK CountProcessWindow(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<ProcessWindows*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == found->pid) {
    ++found->count;
    EnumChildWindows(hwnd, CountChildWindow, param);
  }
  return TRUE;
}

// Wine keeps a process's GDI objects in a handle table that the process
// environment block points to (GdiSharedHandleTable), as Windows once did:
// entries of 24 bytes whose type byte is 0 when free. Read from outside, it
// counts the objects by type where GetGuiResources answers nothing. Only for
// a process of the probe's own bitness.
bool CountGdiTable(HANDLE process, std::map<int, long long>& byType) {
  using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryProcess>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  if (!query || query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0) return false;
  constexpr size_t kTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;
  constexpr size_t kEntrySize = 24, kTypeOffset = 14, kEntries = 0x10000, kChunk = 4096;
  void* table = nullptr;
  SIZE_T got = 0;
  if (!ReadProcessMemory(process, static_cast<char*>(static_cast<void*>(basic.PebBaseAddress)) + kTableOffset,
                         &table, sizeof(table), &got) || !table) {
    return false;
  }
  std::vector<unsigned char> entries(kChunk * kEntrySize);
  for (size_t first = 0; first < kEntries; first += kChunk) {
    if (!ReadProcessMemory(process, static_cast<char*>(table) + first * kEntrySize, entries.data(),
                           entries.size(), &got) || got != entries.size()) {
      return false;
    }
    for (size_t i = 0; i < kChunk; ++i) {
      const int type = entries[i * kEntrySize + kTypeOffset];
      if (type != 0) ++byType[type];
    }
  }
  return true;
}

int Resources(Json& json, const std::wstring& title) {
  HWND top = BeginAnswerAbout(json, title);
  if (!top) return kNotFound;
  DWORD pid = 0;
  GetWindowThreadProcessId(top, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  json.Key("pid").Int(pid);
  SetLastError(0);
  const DWORD gdi = process ? GetGuiResources(process, GR_GDIOBJECTS) : 0;
  const DWORD gdiError = GetLastError();
  const DWORD user = process ? GetGuiResources(process, GR_USEROBJECTS) : 0;
  json.Key("gui_resources").BeginObject().Key("gdi").Int(gdi).Key("user").Int(user);
  json.Key("error").Int(gdiError).EndObject();
  std::map<int, long long> byType;
  json.Key("gdi_table");
  if (process && CountGdiTable(process, byType)) {
    long long total = 0;
    json.BeginObject().Key("by_type").BeginObject();
    for (const auto& [type, count] : byType) {
      json.Key(std::to_string(type).c_str()).Int(count);
      total += count;
    }
    json.EndObject().Key("total").Int(total).EndObject();
  } else {
    json.Null();
  }
  ProcessWindows windows{pid, 0};
  EnumWindows(CountProcessWindow, reinterpret_cast<LPARAM>(&windows));
  json.Key("windows").Int(windows.count);
  json.EndObject();
  if (process) CloseHandle(process);
  return 0;
}

// ---------------------------------------------------------------- dispatch

int Usage(Json& json) {
  json.BeginObject()
      .Key("error")
      .Str("usage: probe tree|focus|textfit|resources <title> | clipboard [--at x,y]... | msgbox [--press <button>]"
           " | windows | post <title> <msg> <wparam> <lparam> | serve")
      .EndObject();
  return 64;
}

int Run(const std::vector<std::wstring>& args, Json& json) {
  if (args.empty()) return Usage(json);
  const std::wstring& command = args[0];
  if ((command == L"tree" || command == L"focus") && args.size() == 2) {
    std::wstring title = DecodeTitle(args[1]);
    return command == L"tree" ? Tree(json, title) : Focus(json, title);
  }
  if (command == L"resources" && args.size() == 2) return Resources(json, DecodeTitle(args[1]));
  if (command == L"clipboard") {
    std::vector<POINT> points;
    for (size_t i = 1; i + 1 < args.size(); i += 2) {
      if (args[i] != L"--at") return Usage(json);
      POINT p{};
      if (swscanf(args[i + 1].c_str(), L"%ld,%ld", &p.x, &p.y) != 2) return Usage(json);
      points.push_back(p);
    }
    return Clipboard(json, points);
  }
  if (command == L"msgbox") {
    std::wstring press;
    if (args.size() == 3 && args[1] == L"--press") press = DecodeTitle(args[2]);
    else if (args.size() != 1) return Usage(json);
    return MessageBoxes(json, press);
  }
  if (command == L"windows" && args.size() == 1) return Windows(json);
  if (command == L"textfit" && args.size() == 2) return TextFit(json, DecodeTitle(args[1]));
  if (command == L"post" && args.size() == 5) {
    HWND top = BeginAnswerAbout(json, DecodeTitle(args[1]));
    if (!top) return kNotFound;
    const bool posted = PostMessageW(top, static_cast<UINT>(std::stoul(args[2], nullptr, 0)),
                                     static_cast<WPARAM>(std::stoull(args[3], nullptr, 0)),
                                     static_cast<LPARAM>(std::stoll(args[4], nullptr, 0))) != FALSE;
    json.Key("posted").Bool(posted).EndObject();
    return posted ? 0 : 1;
  }
  return Usage(json);
}

void WriteOut(const std::string& bytes) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written = 0;
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool ReadLine(HANDLE in, std::string& line) {
  line.clear();
  char c = 0;
  DWORD got = 0;
  while (ReadFile(in, &c, 1, &got, nullptr) && got == 1) {
    if (c == '\n') return true;
    if (c != '\r') line.push_back(c);
  }
  return !line.empty();
}

// One command per line, tab-separated; each answer is one JSON line carrying
// the command's exit status, so a caller can keep one probe process running.
int Serve() {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  std::string line;
  while (ReadLine(in, line)) {
    std::vector<std::wstring> args;
    size_t start = 0;
    while (true) {
      size_t tab = line.find('\t', start);
      args.push_back(FromUtf8(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    if (args.size() == 1 && args[0] == L"quit") break;
    Json json;
    int status = Run(args, json);
    WriteOut("{\"status\":" + std::to_string(status) + ",\"result\":" + json.Text() + "}\n");
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Pixels and metrics as they are, not scaled to 96 DPI.
  SetProcessDPIAware();
  std::vector<std::wstring> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] == L"serve") return Serve();
  Json json;
  int status = Run(args, json);
  WriteOut(json.Text() + "\n");
  return status;
}
