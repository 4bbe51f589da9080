#include "collect/InstanceBuilder.h"

#include "collect/LogMessage.h"

using NTELVA20::ContextMap;
using NTELVA20::ICIMClass;
using NTELVA20::ICIMInstance;
using NTELVA20::ICIMProperty;
using NTELVA20::TCIMValue;
using NTELVA20::TTelvaException;

namespace strata_col {

namespace {

TCIMValue PropertyValue(ICIMClass& cimClass, ICIMProperty& property, const std::string& text) {
    TCIMValue value;
    if (!property.IsArray(ContextMap())) {
        value = TCIMValue(property.GetType(ContextMap()), text, cimClass.GetNamespace(ContextMap()));
        return value;
    }
    const TCIMValue::TCIMType arrayType = property.GetType(ContextMap());
    const TCIMValue::TCIMType elementType(arrayType.ToString());
    std::vector<TCIMValue> elements;
    for (const std::string& piece : SplitList(text, ',')) {
        elements.push_back(TCIMValue(elementType, piece, cimClass.GetNamespace(ContextMap())));
    }
    value.Set(arrayType, 256, elements);
    return value;
}

}  // namespace

void BuildInstance(boost::shared_ptr<ICIMClass> cimClass, const PropertyMap& properties) {
    boost::shared_ptr<ICIMInstance> instance = cimClass->CreateInstance(ContextMap());
    if (!instance || properties.empty()) return;

    LogMessage* log = LogMessage::Instance();
    for (const auto& entry : properties) {
        try {
            boost::shared_ptr<ICIMProperty> property = instance->GetProperty(entry.first, ContextMap());
            TCIMValue value = PropertyValue(*cimClass, *property, entry.second);
            instance->SetProperty(entry.first, value, ContextMap());
        } catch (const TTelvaException& error) {
            log->WriteLevel3("Error processing property " + entry.first + ". With value " +
                             entry.second + " from class " + cimClass->GetClassName(ContextMap()));
            log->WriteLevel0(error.what());
        }
    }
    try {
        instance->Commit(ContextMap());
    } catch (const TTelvaException& error) {
        log->WriteLevel3("Attempted creation of instance for " + cimClass->GetClassName(ContextMap()) +
                         " threw exception " + error.what());
    }
}

void BuildAssociationInstance(boost::shared_ptr<ICIMClass> cimClass, const ReferenceMap& references) {
    try {
        boost::shared_ptr<ICIMInstance> instance = cimClass->CreateInstance(ContextMap());
        if (!instance || references.empty()) return;
        for (const auto& entry : references) {
            instance->GetProperty(entry.first, ContextMap());
            instance->SetProperty(entry.first, entry.second, ContextMap());
        }
        instance->Commit(ContextMap());
    } catch (const TTelvaException& error) {
        LogMessage::Instance()->WriteLevel3("Attempted creation of instance for " +
                                            cimClass->GetClassName(ContextMap()) +
                                            " threw exception " + error.what());
    }
}

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : text + separator) {
        if (c == separator) {
            if (!piece.empty()) pieces.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    return pieces;
}

}  // namespace strata_col
