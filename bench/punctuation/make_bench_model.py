#!/usr/bin/python3
"""Builds the punctuation benchmark's model: the test tokenizer with a model that computes as much
per token as a small token classifier (four 256-wide layers), so the benchmark weighs our work
around a run against a run of realistic cost. Its labels mean nothing.

Usage: make_bench_model.py TEST_MODELS_SCRIPT OUT_DIR
"""
import importlib.util
import os
import sys

import numpy as np
from onnx import TensorProto, helper

spec = importlib.util.spec_from_file_location("make_test_models", sys.argv[1])
models = importlib.util.module_from_spec(spec)
spec.loader.exec_module(models)
const, model = models.const, models.model


def sized_punctuation(width=256, layers=4):
    generator = np.random.default_rng(7)
    nodes = [helper.make_node("Gather", ["embedding", "input_ids"], ["hidden0"], axis=0)]
    inits = [const("embedding", generator.normal(0, 1, (32, width)).astype(np.float32))]
    for layer in range(layers):
        weight = f"weight{layer}"
        inits.append(const(weight, generator.normal(0, 1 / np.sqrt(width), (width, width)).astype(np.float32)))
        nodes += [helper.make_node("MatMul", [f"hidden{layer}", weight], [f"mixed{layer}"]),
                  helper.make_node("Relu", [f"mixed{layer}"], [f"hidden{layer + 1}"])]
    inits += [const("classifier", generator.normal(0, 0.1, (width, 5)).astype(np.float32)),
              const("last_axis", np.array([-1], np.int64))]
    nodes += [
        helper.make_node("MatMul", [f"hidden{layers}", "classifier"], ["scores"]),
        helper.make_node("Cast", ["attention_mask"], ["mask_float"], to=TensorProto.FLOAT),
        helper.make_node("Unsqueeze", ["mask_float", "last_axis"], ["mask"]),
        helper.make_node("Mul", ["scores", "mask"], ["logits"]),
    ]
    graph = helper.make_graph(
        nodes, "punctuation",
        [helper.make_tensor_value_info("input_ids", TensorProto.INT64, [1, "n"]),
         helper.make_tensor_value_info("attention_mask", TensorProto.INT64, [1, "n"])],
        [helper.make_tensor_value_info("logits", TensorProto.FLOAT, [1, "n", 5])],
        inits)
    return model(graph)


def main():
    out = sys.argv[2]
    os.makedirs(out, exist_ok=True)
    models.onnx.save_model(sized_punctuation(), os.path.join(out, "model.onnx"))
    models.write_tokenizer(out)


if __name__ == "__main__":
    main()
