// Sheet and page objects waiting for their windows on one thread.
#include <gtest/gtest.h>

#include "config/WindowBinding.h"
#include "base/Module.h"

TEST(WindowBinding, AWindowTakesOnlyAnObjectOfItsKindAndTheOthersKeepTheirOrder) {
  BindingTag sheet(BindingKind::Sheet);
  BindingTag firstPage(BindingKind::Page);
  BindingTag secondPage(BindingKind::Page);
  AddBinding(&sheet);
  AddBinding(&firstPage);
  AddBinding(&secondPage);
  EXPECT_EQ(&firstPage, TakeBinding(BindingKind::Page));
  EXPECT_EQ(&secondPage, TakeBinding(BindingKind::Page));
  EXPECT_EQ(nullptr, TakeBinding(BindingKind::Page));
  EXPECT_EQ(&sheet, TakeBinding(BindingKind::Sheet));
  EXPECT_EQ(nullptr, TakeCreateWindowObject());
}

TEST(WindowBinding, DroppingRemovesOnlyThatObject) {
  BindingTag sheet(BindingKind::Sheet);
  BindingTag page(BindingKind::Page);
  AddBinding(&page);
  AddBinding(&sheet);
  DropBinding(&page);
  DropBinding(&page);
  EXPECT_EQ(&sheet, TakeCreateWindowObject());
  EXPECT_EQ(nullptr, TakeCreateWindowObject());
}
