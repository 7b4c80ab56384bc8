#include "xll/help.h"

namespace xll {

namespace {
std::string element(const std::string& name, const std::string& child) {
  return XmlElement(name).add(child).str();
}
}  // namespace

const std::string& XmlElement::str() {
  rendered_.clear();
  if (!name_.empty()) {
    rendered_ += "<" + name_;
    for (const auto& [name, value] : attributes_) rendered_ += " " + name + "=\"" + value + "\"";
  }
  if (!children_.empty()) {
    if (!name_.empty()) rendered_ += ">";
    for (const auto& child : children_) rendered_ += child;
  }
  if (name_.empty()) return rendered_;
  rendered_ += children_.empty() ? " />\n" : "</" + name_ + ">\n";
  return rendered_;
}

XmlConceptualDocument::XmlConceptualDocument(const std::string& introduction,
                                             const std::string& summary) {
  if (!summary.empty()) add(element("summary", element("para", summary)));
  add(element("introduction", element("para", introduction)));
}

XmlConceptualDocument& XmlSection(XmlConceptualDocument& document, const std::string& title,
                                  const std::string& text) {
  XmlElement section("section");
  if (!title.empty()) section.add(element("title", title));
  section.add(element("content", element("para", text)));
  document.add(section.str());
  return document;
}

}  // namespace xll
