// The texts that differ from one product build to another.
#pragma once

#include <windows.h>

#include <string>

class ProductDependentData {
public:
    void Load(HINSTANCE hInst);
    const std::string &ProductName() const { return m_productName; }

private:
    std::string m_productName;
};
