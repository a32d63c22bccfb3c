#!/bin/sh
echo "hello"
