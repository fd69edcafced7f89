// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The product's fixed texts and configuration values.
#ifndef TARNWICK_CORE_PRODUCT_H_
#define TARNWICK_CORE_PRODUCT_H_

namespace tarnwick::product {

inline constexpr char kName[] = "Tarnwick";
inline constexpr char kVersion[] = "0.1.0";
// The menu entry's name without ".desktop" (share/applications/
// example.merriveld.tarnwick.desktop), also the AppStream id: the desktop
// matches the window to its menu entry and icon by it.
inline constexpr char kDesktopFileName[] = "example.merriveld.tarnwick";
// Where users send error reports.
inline constexpr char kSupportAddress[] = "support@merriveld.example";
// The maker's home page, and the page of its add-text product.
inline constexpr char kHomePage[] = "https://www.merriveld.example/";
inline constexpr char kAddTextPage[] = "https://www.merriveld.example/addtext/";

// The settings store's address.
inline constexpr char kSettingsApplication[] = "Merriveld";
inline constexpr char kSettingsSection[] = "Tarnwick";

}  // namespace tarnwick::product

#endif  // TARNWICK_CORE_PRODUCT_H_
