#include "fake/fake_file_system.h"

#include <algorithm>
#include <cstring>

#include "platform/codes.h"
#include "platform/path_form.h"
#include "text/ascii_case.h"

namespace nimbra::fake {

namespace {

bool isAbsolute(std::string_view path) {
  return (path.size() >= 2 && path[1] == ':') || path.starts_with("\\\\");
}

std::string lastComponent(std::string_view path) {
  auto at = path.find_last_of('\\');
  return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

}  // namespace

class FakeFile : public platform::File {
 public:
  FakeFile(FakeFileSystem& fs, FakeFileSystem::OpenRecord record, bool append = false)
      : fs_(fs), record_(std::move(record)), append_(append) {
    fs_.open_.push_back(&record_);
  }
  ~FakeFile() override {
    std::erase(fs_.open_, &record_);
    if (discarded_) fs_.remove(record_.key);
  }

  std::optional<std::size_t> read(std::span<std::byte> buffer) override {
    if (auto fault = fs_.faults_.take(Call::FileRead)) return failed(*fault);
    if (!record_.reads) return failed(win::kErrorAccessDenied);
    auto& node = fs_.nodes_.at(record_.key);
    if (node.device) {
      std::memset(buffer.data(), 0, buffer.size());
      return buffer.size();
    }
    std::uint64_t size = fs_.sizeOf(node);
    if (position_ >= size) return 0;
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - position_));
    if (node.sizeOnly)
      std::memset(buffer.data(), 0, n);
    else
      std::memcpy(buffer.data(), node.content.data() + position_, n);
    position_ += n;
    return n;
  }

  std::optional<std::size_t> write(std::span<const std::byte> data) override {
    if (auto fault = fs_.faults_.take(Call::FileWrite)) return failed(*fault);
    if (!record_.writes) return failed(win::kErrorAccessDenied);
    std::size_t n = data.size();
    if (fs_.freeSpace) {
      if (*fs_.freeSpace == 0 && n > 0) return failed(win::kErrorDiskFull);
      n = static_cast<std::size_t>(std::min<std::uint64_t>(n, *fs_.freeSpace));
      *fs_.freeSpace -= n;
    }
    auto& content = fs_.nodes_.at(record_.key).content;
    if (append_) position_ = content.size();
    if (content.size() < position_ + n) content.resize(position_ + n);
    std::memcpy(content.data() + position_, data.data(), n);
    position_ += n;
    return n;
  }

  bool flush() override {
    if (auto fault = fs_.faults_.take(Call::FileFlush)) error_ = *fault;
    else if (!record_.writes) error_ = win::kErrorAccessDenied;
    else return true;
    return false;
  }

  std::uint32_t error() const override { return error_; }

  std::uint32_t rename(std::string_view name) override {
    if (folder_.empty()) return win::kErrorNotSupported;
    if (auto fault = fs_.faults_.take(Call::FileReplace)) return *fault;
    const std::string path = folder_ + "\\" + std::string(name);
    const std::string to = fs_.key(path);
    auto target = fs_.nodes_.find(to);
    if (target != fs_.nodes_.end() && to != record_.key) {
      if (target->second.folder || (target->second.attributes & win::kAttributeReadOnly)) return win::kErrorAccessDenied;
      if (fs_.inUse(to)) return win::kErrorSharingViolation;
      fs_.remove(to);
    }
    FakeFileSystem::Node moved = std::move(fs_.nodes_.at(record_.key));
    fs_.remove(record_.key);
    FakeFileSystem::Node& node = fs_.ensure(path, false);
    node.content = std::move(moved.content);
    node.sizeOnly = moved.sizeOnly;
    node.attributes = moved.attributes;
    record_.key = to;
    return win::kErrorSuccess;
  }

  std::uint32_t replaceAtRestart(std::string_view name) override {
    if (folder_.empty() || folder_.starts_with("\\\\")) return win::kErrorNotSupported;
    if (auto fault = fs_.faults_.take(Call::RestartReplace)) return *fault;
    fs_.pendingAtRestart_.push_back({record_.key, folder_ + "\\" + std::string(name)});
    return win::kErrorSuccess;
  }

  bool discard() override {
    if (folder_.empty() || fs_.faults_.take(Call::FileDelete)) return false;
    if (fs_.nodes_.at(record_.key).attributes & win::kAttributeReadOnly) return false;
    discarded_ = true;
    return true;
  }

  // Opened through the folder at this path.
  void openedIn(std::string folder) { folder_ = std::move(folder); }

 private:
  std::nullopt_t failed(std::uint32_t error) {
    error_ = error;
    return std::nullopt;
  }

  FakeFileSystem& fs_;
  FakeFileSystem::OpenRecord record_;
  bool append_;
  std::string folder_;
  bool discarded_ = false;
  std::uint64_t position_ = 0;
  std::uint32_t error_ = 0;
};

class FakeFolder : public platform::Folder {
 public:
  FakeFolder(FakeFileSystem& fs, std::string key, std::string path)
      : fs_(fs), key_(std::move(key)), path_(std::move(path)) {}

  platform::OpenedFile openFile(std::string_view name, platform::FileAccess access, std::uint32_t shareMode,
                                platform::FileCreation creation) override {
    if (!platform::IsSingleName(name)) return {nullptr, win::kErrorInvalidName};
    const std::string path = path_ + "\\" + std::string(name);
    auto it = fs_.nodes_.find(fs_.key(path));
    if (it != fs_.nodes_.end() &&
        (it->second.folder || it->second.device || (it->second.attributes & win::kAttributeReparsePoint)))
      return {nullptr, win::kErrorCantAccessFile};
    platform::OpenedFile opened = fs_.openAt(path, access, shareMode, creation);
    if (opened.file) static_cast<FakeFile&>(*opened.file).openedIn(path_);
    return opened;
  }

  std::vector<platform::DirectoryEntry> list(std::size_t most) override {
    std::vector<platform::DirectoryEntry> out;
    if (fs_.faults_.take(Call::ListDirectory)) return out;
    for (const std::string& child : fs_.nodes_.at(key_).children) {
      if (out.size() == most) break;
      const FakeFileSystem::Node& node = fs_.nodes_.at(child);
      out.push_back({FakeFileSystem::listedName(node), node.attributes, node.folder ? 0 : fs_.sizeOf(node)});
    }
    return out;
  }

  std::unique_ptr<platform::Folder> openFolder(std::string_view name) override {
    if (!platform::IsSingleName(name)) return nullptr;
    return fs_.openFolderAt(path_ + "\\" + std::string(name)).folder;
  }

  const std::string& path() const override { return path_; }

 private:
  FakeFileSystem& fs_;
  std::string key_;
  std::string path_;  // full, as opened, for the names of what is created in it
};

std::string FakeFileSystem::key(std::string_view path) const {
  std::string full = isAbsolute(path) ? std::string(path) : currentDirectory + "\\" + std::string(path);
  std::string out;
  for (char c : full) {
    if (c == '/') c = '\\';
    if (c == '\\' && !out.empty() && out.back() == '\\') continue;
    out.push_back(ToLowerAscii(c));
  }
  while (!out.empty() && out.back() == '\\') out.pop_back();
  // "." and ".." resolved, as Windows resolves them in every path it opens;
  // the root (the drive, or \\server\share) is never left.
  const std::size_t root =
      std::min(out.starts_with('\\') ? out.find('\\', out.find('\\', 1) + 1) : out.find('\\'), out.size());
  std::string resolved = out.substr(0, root);
  for (std::size_t at = root; at < out.size();) {
    const std::size_t end = std::min(out.find('\\', at + 1), out.size());
    const std::string_view part = std::string_view(out).substr(at + 1, end - at - 1);
    if (part == "..") {
      const std::size_t cut = resolved.find_last_of('\\');
      if (cut != std::string::npos && cut >= root) resolved.erase(cut);
    } else if (part != ".") {
      resolved.append(out, at, end - at);
    }
    at = end;
  }
  return resolved;
}

std::string FakeFileSystem::parentKey(const std::string& key) {
  auto at = key.find_last_of('\\');
  return at == std::string::npos ? std::string() : key.substr(0, at);
}

FakeFileSystem::Node& FakeFileSystem::ensure(std::string_view path, bool folder) {
  std::string k = key(path);
  auto found = nodes_.find(k);
  if (found != nodes_.end()) return found->second;
  std::string parent = parentKey(k);
  if (!parent.empty()) {
    Node& up = ensure(parent, true);
    up.children.push_back(k);
  }
  Node& node = nodes_[k];
  node.path = isAbsolute(path) ? std::string(path) : k;
  while (node.path.size() > 1 && node.path.back() == '\\') node.path.pop_back();
  node.folder = folder;
  node.attributes = folder ? win::kAttributeDirectory : win::kAttributeArchive;
  return node;
}

void FakeFileSystem::addFile(std::string_view path, std::string_view content, std::uint32_t attributes) {
  Node& node = ensure(path, false);
  node.content = std::string(content);
  node.sizeOnly.reset();
  node.attributes = attributes;
}

void FakeFileSystem::addSizedFile(std::string_view path, std::uint64_t size) {
  Node& node = ensure(path, false);
  node.content.clear();
  node.sizeOnly = size;
}

void FakeFileSystem::addFolder(std::string_view path, std::uint32_t attributes) {
  ensure(path, true).attributes = attributes | win::kAttributeDirectory;
}

void FakeFileSystem::addFolderLink(std::string_view path, std::string_view target) {
  Node& node = ensure(path, true);
  node.attributes = win::kAttributeDirectory | win::kAttributeReparsePoint;
  node.linkTarget = key(target);
}

void FakeFileSystem::setAttributes(std::string_view path, std::uint32_t attributes) {
  nodes_.at(key(path)).attributes = attributes;
}

void FakeFileSystem::listAs(std::string_view path, std::string_view name) { nodes_.at(key(path)).listedAs = name; }

void FakeFileSystem::remove(std::string_view path) {
  std::string k = key(path);
  std::vector<std::string> doomed{k};
  for (std::size_t i = 0; i < doomed.size(); ++i) {
    auto it = nodes_.find(doomed[i]);
    if (it == nodes_.end()) continue;
    doomed.insert(doomed.end(), it->second.children.begin(), it->second.children.end());
  }
  for (auto& d : doomed) nodes_.erase(d);
  auto parent = nodes_.find(parentKey(k));
  if (parent != nodes_.end()) std::erase(parent->second.children, k);
}

void FakeFileSystem::holdOpen(std::string_view path, std::uint64_t untilMs) { nodes_.at(key(path)).heldUntil = untilMs; }

void FakeFileSystem::releaseHold(std::string_view path) { nodes_.at(key(path)).heldUntil = 0; }

void FakeFileSystem::makeEndlessDevice(std::string_view path) { nodes_.at(key(path)).device = true; }

void FakeFileSystem::restart() {
  for (auto& entry : nodes_) entry.second.heldUntil = 0;
  for (const auto& [source, target] : pendingAtRestart_) {
    auto found = nodes_.find(source);
    if (found == nodes_.end() || found->second.folder) continue;  // gone meanwhile: nothing to replace
    Node moved = std::move(found->second);
    remove(source);
    remove(target);
    Node& node = ensure(target, false);
    node.content = std::move(moved.content);
    node.sizeOnly = moved.sizeOnly;
  }
  pendingAtRestart_.clear();
}

void FakeFileSystem::failOpens(std::string_view path, std::uint32_t error) { nodes_.at(key(path)).openError = error; }

std::optional<std::string> FakeFileSystem::contents(std::string_view path) const {
  auto it = nodes_.find(key(path));
  if (it == nodes_.end() || it->second.folder) return std::nullopt;
  if (it->second.sizeOnly) return std::string(*it->second.sizeOnly, '\0');
  return it->second.content;
}

bool FakeFileSystem::exists(std::string_view path) const { return nodes_.contains(key(path)); }

std::vector<std::string> FakeFileSystem::listTree(std::string_view folder) const {
  std::vector<std::string> out;
  auto root = nodes_.find(key(folder));
  if (root == nodes_.end()) return out;
  std::vector<std::string> pending = root->second.children;
  for (std::size_t i = 0; i < pending.size(); ++i) {
    const Node& node = nodes_.at(pending[i]);
    out.push_back(node.path);
    if (node.linkTarget.empty()) pending.insert(pending.end(), node.children.begin(), node.children.end());
  }
  return out;
}

std::string FakeFileSystem::listedName(const Node& node) {
  return node.listedAs ? *node.listedAs : lastComponent(node.path);
}

std::uint64_t FakeFileSystem::sizeOf(const Node& node) const {
  return node.sizeOnly ? *node.sizeOnly : node.content.size();
}

bool FakeFileSystem::inUse(const std::string& k) const {
  auto it = nodes_.find(k);
  if (it != nodes_.end() && clock_.nowMs < it->second.heldUntil) return true;
  return std::any_of(open_.begin(), open_.end(), [&](const OpenRecord* r) { return r->key == k; });
}

platform::OpenedFile FakeFileSystem::openFile(std::string_view path, platform::FileAccess access,
                                              std::uint32_t shareMode, platform::FileCreation creation) {
  platform::OpenedFile opened = openAt(path, access, shareMode, creation);
  pathCalls_.push_back(log_.back());
  return opened;
}

platform::OpenedFile FakeFileSystem::openAt(std::string_view path, platform::FileAccess access,
                                            std::uint32_t shareMode, platform::FileCreation creation) {
  using platform::FileAccess;
  using platform::FileCreation;
  std::string k = key(path);
  static const char* const kAccess[] = {"read", "write", "readwrite", "attributes"};
  static const char* const kCreation[] = {"open-existing", "create-new", "create-always"};
  log_.push_back(k + " " + kAccess[static_cast<int>(access)] + " share=" + std::to_string(shareMode) + " " +
                 kCreation[static_cast<int>(creation)]);
  if (auto error = faults_.take(Call::FileOpen)) return {nullptr, *error};

  const bool reads = access == FileAccess::Read || access == FileAccess::ReadWrite;
  const bool writes = access == FileAccess::Write || access == FileAccess::ReadWrite;
  // Attributes alone conflict with no one's sharing.
  const bool attributesOnly = access == FileAccess::Attributes;
  auto parent = nodes_.find(parentKey(k));
  if (parent == nodes_.end() || !parent->second.folder) return {nullptr, win::kErrorPathNotFound};
  auto it = nodes_.find(k);
  bool present = it != nodes_.end();
  if (present && it->second.folder) return {nullptr, win::kErrorAccessDenied};
  if (!present && creation == FileCreation::OpenExisting) return {nullptr, win::kErrorFileNotFound};
  if (present && creation == FileCreation::CreateNew) return {nullptr, win::kErrorFileExists};
  if (present && !attributesOnly && it->second.openError != 0) return {nullptr, it->second.openError};
  if (present && !attributesOnly && clock_.nowMs < it->second.heldUntil) return {nullptr, win::kErrorSharingViolation};
  if (present && writes && (it->second.attributes & win::kAttributeReadOnly)) return {nullptr, win::kErrorAccessDenied};
  if (present && creation == FileCreation::CreateAlways && (it->second.attributes & win::kAttributeReadOnly))
    return {nullptr, win::kErrorAccessDenied};
  for (const OpenRecord* other : open_) {
    if (other->key != k || attributesOnly) continue;
    bool theyAllowUs = (!reads || (other->share & win::kShareRead)) && (!writes || (other->share & win::kShareWrite));
    bool weAllowThem =
        (!other->reads || (shareMode & win::kShareRead)) && (!other->writes || (shareMode & win::kShareWrite));
    if (!theyAllowUs || !weAllowThem) return {nullptr, win::kErrorSharingViolation};
  }
  Node& node = ensure(path, false);
  if (creation == FileCreation::CreateAlways) {
    node.content.clear();
    node.sizeOnly.reset();
  }
  return {std::make_unique<FakeFile>(*this, OpenRecord{k, reads, writes, shareMode}), 0};
}

std::unique_ptr<platform::File> FakeFileSystem::openForAppend(std::string_view path) {
  std::string k = key(path);
  log_.push_back(k + " append");
  pathCalls_.push_back(log_.back());
  if (faults_.take(Call::FileOpen)) return nullptr;
  auto parent = nodes_.find(parentKey(k));
  if (parent == nodes_.end() || !parent->second.folder) return nullptr;
  auto it = nodes_.find(k);
  if (it != nodes_.end() && (it->second.folder || clock_.nowMs < it->second.heldUntil)) return nullptr;
  ensure(path, false);
  return std::make_unique<FakeFile>(*this, OpenRecord{k, true, true, win::kShareRead}, /*append=*/true);
}

platform::OpenedFolder FakeFileSystem::openFolder(std::string_view path) {
  platform::OpenedFolder opened = openFolderAt(path);
  pathCalls_.push_back(log_.back());
  return opened;
}

platform::OpenedFolder FakeFileSystem::openFolderAt(std::string_view path) {
  std::string k = key(path);
  log_.push_back(k + " folder");
  if (auto error = faults_.take(Call::FolderOpen)) return {nullptr, *error};
  if (!platform::IsDriveOrSharePath(path)) return {nullptr, win::kErrorCantAccessFile};
  auto it = nodes_.find(k);
  if (it == nodes_.end() || !it->second.folder) return {nullptr, win::kErrorPathNotFound};
  for (std::string at = k; !at.empty(); at = parentKey(at)) {
    auto on = nodes_.find(at);
    if (on != nodes_.end() && (!on->second.linkTarget.empty() || (on->second.attributes & win::kAttributeReparsePoint)))
      return {nullptr, win::kErrorCantAccessFile};
  }
  return {std::make_unique<FakeFolder>(*this, k, fullPath(path)), 0};
}

std::string FakeFileSystem::fullPath(std::string_view path) const {
  const std::string full = isAbsolute(path) ? std::string(path) : currentDirectory + "\\" + std::string(path);
  std::vector<std::string> parts;
  std::string part;
  for (char c : full + "\\") {
    if (c != '\\' && c != '/') {
      part.push_back(c);
      continue;
    }
    if (part == ".." && parts.size() > 1) parts.pop_back();
    else if (!part.empty() && part != "." && part != "..") parts.push_back(part);
    part.clear();
  }
  std::string resolved;
  for (const std::string& each : parts) resolved += each + "\\";
  if (parts.size() > 1) resolved.pop_back();  // a drive's root keeps its separator
  return resolved;
}

}  // namespace nimbra::fake
