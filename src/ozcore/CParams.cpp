#include "ozcore/CParams.h"

#include <charconv>
#include <unordered_map>
#include <utility>

#include "ozcore/CaseFold.h"

namespace {
const ParamValue& EmptyValue() {
  static const ParamValue empty{std::wstring()};
  return empty;
}
}  // namespace

CParam::CParam(std::wstring key, ParamValue value) : key_(std::move(key)) { values_.push_back(std::move(value)); }

const std::wstring& CParam::Key() const { return key_; }

const ParamValue& CParam::Values(std::size_t index) const {
  if (index < 1 || index > values_.size()) return EmptyValue();
  return values_[index - 1];
}

std::size_t CParam::ValueCount() const { return values_.size(); }

std::wstring CParam::Text() const {
  const auto& v = Values(1);
  if (const auto* s = std::get_if<std::wstring>(&v)) return *s;
  return std::to_wstring(std::get<std::int32_t>(v));
}

std::int32_t CParam::Number() const {
  const auto& v = Values(1);
  if (const auto* n = std::get_if<std::int32_t>(&v)) return *n;
  const auto& s = std::get<std::wstring>(v);
  std::string narrow;
  for (wchar_t ch : s) {
    if (ch > 127) return 0;
    narrow.push_back(static_cast<char>(ch));
  }
  std::int32_t out = 0;
  auto [ptr, ec] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), out);
  return (ec == std::errc() && ptr == narrow.data() + narrow.size()) ? out : 0;
}

struct CParams::Impl {
  std::vector<CParam> items;
  std::unordered_map<std::wstring, std::size_t> index;
};

CParams::CParams() : impl_(std::make_unique<Impl>()) {}
CParams::~CParams() = default;
CParams::CParams(const CParams& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
CParams& CParams::operator=(const CParams& other) {
  if (this != &other) impl_ = std::make_unique<Impl>(*other.impl_);
  return *this;
}
CParams::CParams(CParams&& other) noexcept : impl_(std::exchange(other.impl_, std::make_unique<Impl>())) {}
CParams& CParams::operator=(CParams&& other) noexcept {
  if (this != &other) impl_.swap(other.impl_);
  return *this;
}

bool CParams::Add(const std::wstring& key, ParamValue value) {
  auto [it, inserted] = impl_->index.emplace(FoldCase(key), impl_->items.size());
  if (!inserted) return false;
  impl_->items.emplace_back(key, std::move(value));
  return true;
}

bool CParams::IsInCollection(const std::wstring& key) const { return Find(key) != nullptr; }

std::size_t CParams::Count() const { return impl_->items.size(); }

const CParam* CParams::Find(const std::wstring& key) const {
  auto it = impl_->index.find(FoldCase(key));
  return it == impl_->index.end() ? nullptr : &impl_->items[it->second];
}

const CParam* CParams::At(std::size_t index) const {
  if (index < 1 || index > impl_->items.size()) return nullptr;
  return &impl_->items[index - 1];
}

std::wstring CParams::Text(const std::wstring& key) const {
  const auto* p = Find(key);
  return p ? p->Text() : std::wstring();
}

CResultNode::CResultNode() = default;
CResultNode::~CResultNode() = default;

CResultNodes::CResultNodes() = default;
CResultNodes::~CResultNodes() = default;
CResultNodes::CResultNodes(CResultNodes&& other) noexcept = default;
CResultNodes& CResultNodes::operator=(CResultNodes&& other) noexcept = default;

CResultNode& CResultNodes::Add() {
  nodes_.push_back(std::make_shared<CResultNode>());
  return *nodes_.back();
}

std::size_t CResultNodes::Count() const { return nodes_.size(); }

CResultNode* CResultNodes::Item(std::size_t index) const {
  if (index < 1 || index > nodes_.size()) return nullptr;
  return nodes_[index - 1].get();
}

std::shared_ptr<CResultNode> CResultNodes::Shared(std::size_t index) const {
  if (index < 1 || index > nodes_.size()) return nullptr;
  return nodes_[index - 1];
}
