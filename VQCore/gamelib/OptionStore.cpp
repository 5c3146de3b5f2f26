#include "VQCore/gamelib/OptionStore.h"

#include "common/FormatText.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"

#include <cstring>
#include <new>

namespace Tessar {

namespace {

const wchar_t kVersionTag[] = L"VERSION";
const wchar_t kOptionsTag[] = L"OPTIONS";

}  // namespace

void OptionValue::SetInt(int32_t value) {
    m_kind = kInt;
    m_bytes.resize(sizeof(value));
    std::memcpy(m_bytes.data(), &value, sizeof(value));
}

void OptionValue::SetText(const std::wstring& text) {
    m_kind = kText;
    m_bytes.assign((text.size() + 1) * sizeof(wchar_t), 0);
    if (!text.empty())
        std::memcpy(m_bytes.data(), text.data(), text.size() * sizeof(wchar_t));
}

int32_t OptionValue::GetInt(int32_t defaultValue) const {
    if (m_kind != kInt || m_bytes.size() != sizeof(int32_t))
        return defaultValue;
    int32_t value;
    std::memcpy(&value, m_bytes.data(), sizeof(value));
    return value;
}

std::wstring OptionValue::GetText(const std::wstring& defaultValue) const {
    if (m_kind != kText || m_bytes.empty())
        return defaultValue;
    std::wstring text(m_bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty())
        std::memcpy(&text[0], m_bytes.data(), text.size() * sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

OptionStore::OptionStore() : m_loaded(false), m_document(nullptr), m_foundOptions(false) {}

OptionStore::~OptionStore() {
    delete m_document;
}

bool OptionStore::Create(OptionStore*& out) {
    out = new (std::nothrow) OptionStore();
    return out != nullptr;
}

void OptionStore::Close(OptionStore*& holder) {
    delete holder;
    holder = nullptr;
}

bool OptionStore::Open(const std::wstring& path) {
    if (!FileExists(path))
        return false;
    m_loaded = LoadFile(path);
    return true;
}

bool OptionStore::LoadFile(const std::wstring& path) {
    delete m_document;
    m_document = nullptr;
    m_filePath = path;
    m_sections.clear();
    m_foundOptions = false;
    m_document = new (std::nothrow) VQXmlDocument(path);
    return ParseDocument(m_document);
}

bool OptionStore::ParseDocument(const TiXmlDocument* document) {
    if (document == nullptr)
        return false;
    // What TinyXML built before a parse error is not trusted.
    m_foundOptions = false;
    if (document->Error())
        return true;
    std::wstring version;
    if (GetElementText(FindChildElement(document, kVersionTag), version) && !version.empty())
        m_version = version;
    const TiXmlElement* options = FindChildElement(document, kOptionsTag);
    m_foundOptions = options != nullptr;
    if (options == nullptr)
        return true;
    for (const TiXmlElement* section = options->FirstChildElement(); section != nullptr;
         section = section->NextSiblingElement()) {
        Section& keys = m_sections[MakeWideString(section->Value())];
        for (const TiXmlElement* key = section->FirstChildElement(); key != nullptr;
             key = key->NextSiblingElement()) {
            std::wstring text;
            GetElementText(key, text);
            keys[MakeWideString(key->Value())].SetText(text);
        }
    }
    return true;
}

bool OptionStore::Save(const std::wstring& path) {
    if (m_document == nullptr) {
        m_document = new (std::nothrow) VQXmlDocument();
        if (m_document == nullptr)
            return false;
    } else {
        m_document->Clear();
        m_document->ClearError();
    }
    AddElementText(AddElement(m_document, kVersionTag), m_version);
    TiXmlElement* options = AddChildElement(m_document, nullptr, kOptionsTag);
    for (const auto& section : m_sections) {
        TiXmlElement* sectionElement = AddElement(options, section.first);
        for (const auto& key : section.second) {
            TiXmlElement* keyElement = AddElement(sectionElement, key.first);
            const OptionValue& value = key.second;
            if (value.Kind() == OptionValue::kInt)
                AddElementText(keyElement, FormatString(L"%d", value.GetInt(0)));
            else if (value.Kind() == OptionValue::kText && !value.GetText(std::wstring()).empty())
                AddElementText(keyElement, value.GetText(std::wstring()));
        }
    }
    return SaveXmlDocument(*m_document, path);
}

std::wstring OptionStore::GetText(const std::wstring& section, const std::wstring& key,
                                  const std::wstring& defaultValue) const {
    const OptionValue* value = Find(section, key);
    return value == nullptr ? defaultValue : value->GetText(defaultValue);
}

uint32_t OptionStore::GetInt(const std::wstring& section, const std::wstring& key, uint32_t defaultValue) const {
    const OptionValue* value = Find(section, key);
    if (value == nullptr)
        return defaultValue;
    if (value->Kind() == OptionValue::kText)
        return static_cast<uint32_t>(StringToUInt64(value->GetText(std::wstring())));
    return static_cast<uint32_t>(value->GetInt(static_cast<int32_t>(defaultValue)));
}

const OptionValue* OptionStore::Find(const std::wstring& section, const std::wstring& key) const {
    Sections::const_iterator keys = m_sections.find(section);
    if (keys == m_sections.end())
        return nullptr;
    Section::const_iterator value = keys->second.find(key);
    return value == keys->second.end() ? nullptr : &value->second;
}

OptionValue& OptionStore::ValueAt(const std::wstring& section, const std::wstring& key) {
    return m_sections[section][key];
}

}  // namespace Tessar
