#pragma once
int f();
