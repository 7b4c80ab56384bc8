// The simulated host: its life, the add-in's lifecycle, the registrations it
// keeps, its bookkeeping of host calls and its windows.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <stdexcept>

#include "host/fp_state.h"
#include "host/impl.h"

namespace fs = std::filesystem;

namespace xlsim {

namespace {

Host* liveHost = nullptr;

// Files whose earlier load stayed mapped after dlclose.
std::set<std::string>& stuckFiles() {
  static std::set<std::string> s;
  return s;
}

}  // namespace

std::string lowerText(std::string s) {
  for (auto& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool Registration::isVolatile() const { return typeText.find('!') != std::string::npos; }

// ---- construction ----------------------------------------------------------------

Host::Host() {
  if (liveHost) throw std::logic_error("xlsim::Host: another host is live");
  impl_ = std::make_unique<Impl>();
  impl_->self = this;
  impl_->mainWindow = standin::createWindow("XLMAIN", std::string(kBookName) + " - xlsim");
  standin::setActiveWindow(impl_->mainWindow);
  standin::setCallHandler(impl_.get());
  liveHost = this;
}

Host::~Host() {
  try {
    if (impl_->module) impl_->unloadModule(false);
  } catch (...) {
  }
  standin::destroyWindow(impl_->mainWindow);
  for (HWND w : impl_->wizards) standin::destroyWindow(w);
  if (standin::callHandler() == impl_.get()) standin::setCallHandler(nullptr);
  liveHost = nullptr;
}

Host* Host::current() { return liveHost; }
Host::Impl* liveImpl() { return liveHost ? liveHost->impl_.get() : nullptr; }

void Host::setVersion(int version) { impl_->callbackVersion = version; }
int Host::version() const { return impl_->callbackVersion; }

// ---- add-in lifecycle ----------------------------------------------------------------

bool Host::load(const std::string& path, std::string* error) {
  AddinFpState fp;  // the module's constructors, DllMain and xlAutoOpen
  Impl& m = *impl_;
  if (m.module) m.unloadModule(false);
  m.regs.clear();
  m.prepared.clear();
  m.registrationsChanged();
  m.autoOpen = 0;
  std::error_code ec;
  std::string file = fs::absolute(path, ec).lexically_normal().string();
  if (ec || !fs::is_regular_file(file)) {
    if (error) *error = "no such file: " + path;
    return false;
  }
  // A module that an earlier load left mapped would come back with its old
  // static state: load a private copy instead.
  void* probe = dlopen(file.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (probe) dlclose(probe);
  std::string target = file;
  if (probe || stuckFiles().count(file)) {
    char dir[] = "/tmp/xlsim-XXXXXX";
    if (!mkdtemp(dir)) {
      if (error) *error = "cannot make a private copy of " + file;
      return false;
    }
    std::string name = fs::path(file).filename().string();
    if (name.size() < 4 || lowerText(name.substr(name.size() - 4)) != ".xll") name += ".xll";
    target = std::string(dir) + "/" + name;
    fs::copy_file(file, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      fs::remove_all(dir, ec);
      if (error) *error = "cannot make a private copy of " + file;
      return false;
    }
    m.copyDir = dir;
  }
  m.requested = file;
  m.path = target;  // xlGetName already answers during static initialisation
  void* h = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    if (error) *error = dlerror();
    if (!m.copyDir.empty()) fs::remove_all(m.copyDir, ec);
    m.copyDir.clear();
    m.path.clear();
    m.requested.clear();
    return false;
  }
  m.module = h;
  m.frames.push_back(Impl::Frame{});
  using DllMainProc = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
  if (auto dllMain = reinterpret_cast<DllMainProc>(symbol("DllMain")))
    dllMain(reinterpret_cast<HINSTANCE>(h), DLL_PROCESS_ATTACH, nullptr);
  m.frames.pop_back();
  int r = callHook("xlAutoOpen");
  m.autoOpen = r < 0 ? 0 : r;
  return true;
}

bool Host::loaded() const { return impl_->module != nullptr; }
int Host::autoOpenResult() const { return impl_->autoOpen; }
void Host::unload(bool remove) { impl_->unloadModule(remove); }
const std::string& Host::addinPath() const { return impl_->path; }
const std::string& Host::requestedPath() const { return impl_->requested; }
void* Host::moduleHandle() const { return impl_->module; }

void Host::Impl::unloadModule(bool remove) {
  AddinFpState fp;  // the hooks, DllMain and the module's destructors
  if (!module) return;
  if (remove) self->callHook("xlAutoRemove");
  self->callHook("xlAutoClose");
  using DllMainProc = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
  if (auto dllMain = reinterpret_cast<DllMainProc>(self->symbol("DllMain"))) {
    frames.push_back(Frame{});
    dllMain(static_cast<HINSTANCE>(module), DLL_PROCESS_DETACH, nullptr);
    frames.pop_back();
  }
  for (auto& r : regs) r.unregistered = true;
  registrationsChanged();
  dlclose(module);
  module = nullptr;
  void* probe = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (probe) {
    dlclose(probe);
    stuckFiles().insert(requested);
  }
  std::error_code ec;
  if (!copyDir.empty()) fs::remove_all(copyDir, ec);
  copyDir.clear();
  path.clear();
}

void* Host::symbol(const std::string& name) const {
  if (!impl_->module) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(impl_->module), name.c_str()));
}

int Host::callHook(const std::string& name) {
  AddinFpState fp;
  auto hook = reinterpret_cast<int(WINAPI*)()>(symbol(name));
  if (!hook) return -1;
  impl_->frames.push_back(Impl::Frame{});
  int r = hook();
  impl_->frames.pop_back();
  return r;
}

Value Host::autoRegister(const std::string& name) {
  AddinFpState fp;
  auto hook = reinterpret_cast<xloper*(WINAPI*)(xloper*)>(symbol("xlAutoRegister"));
  if (!hook) return Value::missing();
  HostOper arg(Value::text(name));
  impl_->frames.push_back(Impl::Frame{});
  xloper* r = hook(arg.get());
  impl_->frames.pop_back();
  return r ? toValue(*r) : Value::missing();
}

Value Host::autoRegister12(const std::string& name) {
  AddinFpState fp;
  auto hook = reinterpret_cast<xloper12*(WINAPI*)(xloper12*)>(symbol("xlAutoRegister12"));
  if (!hook) return Value::missing();
  Arena a;
  xloper12 arg;
  putValue(Value::text(name), arg, a);
  impl_->frames.push_back(Impl::Frame{});
  xloper12* r = hook(&arg);
  impl_->frames.pop_back();
  return r ? toValue(*r) : Value::missing();
}

bool Host::autoFree(xloper* p) {
  AddinFpState fp;
  auto hook = reinterpret_cast<void(WINAPI*)(xloper*)>(symbol("xlAutoFree"));
  if (!hook) return false;
  hook(p);
  return true;
}

// ---- registrations ---------------------------------------------------------------

const std::vector<Registration>& Host::registrations() const { return impl_->regs; }

const Registration* Host::function(const std::string& functionText) const {
  const std::string key = lowerText(functionText);
  for (auto it = impl_->regs.rbegin(); it != impl_->regs.rend(); ++it)
    if (it->active() && lowerText(it->functionText) == key) return &*it;
  return nullptr;
}

const Registration* Host::procedure(const std::string& procedureName) const {
  for (auto it = impl_->regs.rbegin(); it != impl_->regs.rend(); ++it)
    if (it->procedure == procedureName) return &*it;
  return nullptr;
}

void Host::refuseRegistration(const std::string& procedureName, const Value& answer, int returnCode) {
  impl_->refusals[procedureName] = Impl::Refusal{answer, returnCode};
}

void Host::clearRefusals() { impl_->refusals.clear(); }

Registration* Host::Impl::findFunction(const std::string& name) {
  if (!lastName.empty() && name == lastName)
    return lastIndex < 0 ? nullptr : &regs[static_cast<size_t>(lastIndex)];
  std::string key = lowerText(name);
  auto found = functionIndex.find(key);
  if (found == functionIndex.end()) {
    int index = -1;
    for (size_t i = regs.size(); i-- > 0;)
      if (regs[i].active() && regs[i].macroType == 1 && lowerText(regs[i].functionText) == key) {
        index = static_cast<int>(i);
        break;
      }
    found = functionIndex.emplace(std::move(key), index).first;
  }
  lastName = name;
  lastIndex = found->second;
  return found->second < 0 ? nullptr : &regs[static_cast<size_t>(found->second)];
}

// ---- bookkeeping ---------------------------------------------------------------------------

int Host::timesCalled(const std::string& functionText) const {
  auto it = impl_->timesCalled.find(lowerText(functionText));
  return it == impl_->timesCalled.end() ? 0 : it->second;
}

int Host::callCount(int xlfn) const {
  return impl_->counts.get(xlfn);
}

int Host::wideCallCount(int xlfn) const {
  return impl_->wideCounts.get(xlfn);
}

void Host::resetCallCounts() {
  impl_->counts.clear();
  impl_->wideCounts.clear();
}

void Host::failCall(int xlfn, int code, bool always) { impl_->failures[xlfn] = Impl::Failure{code, always}; }
void Host::clearFailures() { impl_->failures.clear(); }
int Host::outstanding() const { return static_cast<int>(impl_->owned.size()); }

const std::vector<std::string>& Host::alerts() const { return impl_->alerts; }
void Host::clearAlerts() { impl_->alerts.clear(); }
void Host::setAlertSink(std::function<void(const std::string&)> sink) { impl_->alertSink = std::move(sink); }
void Host::setNoteSink(NoteSink sink) { impl_->noteSink = std::move(sink); }

void Host::scriptDialog(DialogScript script) { impl_->dialogScript = std::move(script); }
const std::vector<Value>& Host::dialogs() const { return impl_->dialogTables; }

// ---- windows -------------------------------------------------------------------------------

HWND Host::mainWindow() const { return impl_->mainWindow; }

HWND Host::openWindow(const std::string& className, const std::string& title, HWND parent) {
  return standin::createWindow(className, title, parent);
}

void Host::closeWindow(HWND window) { standin::destroyWindow(window); }

HWND Host::openWizard() {
  HWND w = standin::createWindow("bosa_sdm_XL9", "Function Arguments", impl_->mainWindow);
  impl_->wizards.push_back(w);
  return w;
}

void Host::closeWizard() {
  for (HWND w : impl_->wizards) standin::destroyWindow(w);
  impl_->wizards.clear();
}

bool Host::wizardOpen() const {
  for (HWND w : impl_->wizards)
    for (const auto& x : standin::windows())
      if (x.handle == w) return true;
  return false;
}

}  // namespace xlsim
