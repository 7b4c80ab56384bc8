// A minimal XML writer for the categories' help documents.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace xll {

class XmlElement {
 public:
  explicit XmlElement(std::string name = "") : name_(std::move(name)) {}
  XmlElement& attribute(const std::string& name, const std::string& value) {
    attributes_.emplace_back(name, value);
    return *this;
  }
  // Appends a child: rendered element text or plain text.
  XmlElement& add(const std::string& child) {
    children_.push_back(child);
    return *this;
  }
  // Renders the element; an element without a name renders its children.
  const std::string& str();

 private:
  std::string name_;
  std::vector<std::pair<std::string, std::string>> attributes_;
  std::vector<std::string> children_;
  std::string rendered_;
};

// A conceptual help topic: optional summary, then the introduction.
class XmlConceptualDocument : public XmlElement {
 public:
  XmlConceptualDocument(const std::string& introduction, const std::string& summary = "");
  const std::string& type() const { return type_; }

 private:
  std::string type_ = "developerConceptualDocument";
};

// Adds a section (optional title, then the text) to the document.
XmlConceptualDocument& XmlSection(XmlConceptualDocument& document, const std::string& title,
                                  const std::string& text);

}  // namespace xll
