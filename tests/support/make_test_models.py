#!/usr/bin/python3
"""Builds the tiny models the tests run through the real speech libraries.

transducer/      a streaming transducer (greedy search): loud audio reads "HELLO WORLD",
                 silence reads nothing.
transducer-bpe/  the same with a byte-pair vocabulary, so the recogniser uses beam search and
                 hotwords: the hotword "WORD" turns the text into "HELLO WORD".
transducer-bench/  the same transducer whose encoder also computes as much per decode call as a
                 small streaming encoder of about 20 million weights does per chunk (eight
                 2048-wide layers over every frame, some 160 million multiply-adds, added in
                 with weight zero), so a benchmark can weigh our work around a dictation
                 against a recogniser of realistic cost. It reads the same words.
punctuation/     token classifiers whose label for token id t is t mod 5 (ids below 32):
                 model.onnx takes input_ids and attention_mask, model-token-types.onnx also
                 token_type_ids, whose value is added to every label's score;
                 model-three-labels.onnx has three labels, model-without-input-ids.onnx calls
                 its first input "ids", model-512-positions.onnx refuses more than 512 tokens;
                 tokenizer.json is a WordPiece tokenizer over ids
                 below 32, chosen so a Persian sentence gets known marks.

Run with Debian's own python3, which sees python3-onnx.  Usage: make_test_models.py OUT_DIR
"""
import json
import os
import sys

import numpy as np
import onnx
from onnx import TensorProto, helper, numpy_helper

OPSET = [helper.make_opsetid("", 13)]
IR_VERSION = 7

TOKENS = ["<blk>", "<sos/eos>", "<unk>", "\u2581HELLO", "\u2581WORLD", "\u2581WORD", "\u2581W", "O", "R", "D"]
BPE_SCORES = [0, 0, 0, -1, -1, -1, -3, -3, -3, -3]
FEATURES = 128
CHUNK = 39          # frames the encoder sees per decode call
CHUNK_SHIFT = 32    # frames a decode call consumes


def model(graph, metadata=None):
    m = helper.make_model(graph, opset_imports=OPSET, ir_version=IR_VERSION)
    for key, value in (metadata or {}).items():
        entry = m.metadata_props.add()
        entry.key, entry.value = key, str(value)
    onnx.checker.check_model(m)
    return m


def const(name, array):
    return numpy_helper.from_array(np.asarray(array), name)


def encoder(work_layers=0, width=2048):
    # The loudest log-mel bin of every fourth frame: loud audio gives a high value, silence
    # the log floor (about -15.9). The states pass through unchanged. With work layers, a stack
    # of wide layers over every frame is computed and added in with weight zero.
    loudest = "encoder_out" if work_layers == 0 else "loudest"
    nodes = [
        helper.make_node("Slice", ["x", "starts", "ends", "axes", "steps"], ["xs"]),
        helper.make_node("MatMul", ["xs", "identity"], ["projected"]),
        helper.make_node("ReduceMax", ["projected"], [loudest], axes=[2], keepdims=1),
        helper.make_node("Identity", ["h"], ["next_h"]),
        helper.make_node("Identity", ["c"], ["next_c"]),
    ]
    inits = [
        const("starts", np.array([0], np.int64)), const("ends", np.array([CHUNK_SHIFT], np.int64)),
        const("axes", np.array([1], np.int64)), const("steps", np.array([4], np.int64)),
        const("identity", np.eye(FEATURES, dtype=np.float32)),
    ]
    if work_layers:
        generator = np.random.default_rng(11)
        hidden = "x"
        for layer in range(work_layers):
            up, down = f"up{layer}", f"down{layer}"
            inits += [const(up, generator.normal(0, 0.02, (FEATURES, width)).astype(np.float32)),
                      const(down, generator.normal(0, 0.02, (width, FEATURES)).astype(np.float32))]
            nodes += [helper.make_node("MatMul", [hidden, up], [f"wide{layer}"]),
                      helper.make_node("Relu", [f"wide{layer}"], [f"active{layer}"]),
                      helper.make_node("MatMul", [f"active{layer}", down], [f"narrow{layer}"]),
                      helper.make_node("Tanh", [f"narrow{layer}"], [f"work{layer}"])]
            hidden = f"work{layer}"
        inits.append(const("nothing", np.array([0.0], np.float32)))
        nodes += [helper.make_node("ReduceMean", [hidden], ["summary"], keepdims=1),
                  helper.make_node("Mul", ["summary", "nothing"], ["zero"]),
                  helper.make_node("Add", [loudest, "zero"], ["encoder_out"])]
    graph = helper.make_graph(
        nodes, "encoder",
        [helper.make_tensor_value_info("x", TensorProto.FLOAT, ["N", CHUNK, FEATURES]),
         helper.make_tensor_value_info("h", TensorProto.FLOAT, [1, "N", 1]),
         helper.make_tensor_value_info("c", TensorProto.FLOAT, [1, "N", 1])],
        [helper.make_tensor_value_info("encoder_out", TensorProto.FLOAT, ["N", 8, 1]),
         helper.make_tensor_value_info("next_h", TensorProto.FLOAT, [1, "N", 1]),
         helper.make_tensor_value_info("next_c", TensorProto.FLOAT, [1, "N", 1])],
        inits)
    return model(graph, {"model_type": "lstm", "num_encoder_layers": 1, "T": CHUNK,
                         "decode_chunk_len": CHUNK_SHIFT, "rnn_hidden_size": 1, "d_model": 1})


def decoder():
    # One-hot of the previously emitted token.
    nodes = [
        helper.make_node("Gather", ["y", "last"], ["previous"], axis=1),
        helper.make_node("Gather", ["one_hot", "previous"], ["decoder_out"], axis=0),
    ]
    inits = [const("last", np.array(1, np.int64)), const("one_hot", np.eye(len(TOKENS), dtype=np.float32))]
    graph = helper.make_graph(
        nodes, "decoder",
        [helper.make_tensor_value_info("y", TensorProto.INT64, ["N", 2])],
        [helper.make_tensor_value_info("decoder_out", TensorProto.FLOAT, ["N", len(TOKENS)])],
        inits)
    return model(graph, {"vocab_size": len(TOKENS), "context_size": 2})


def joiner():
    # Only blank -> HELLO, HELLO -> WORLD and HELLO -> WORD are allowed. On a loud frame the
    # allowed word wins, on silence blank does; WORD trails WORLD by 0.5, less than a hotword bonus.
    n = len(TOKENS)
    transitions = np.zeros((n, n), np.float32)
    transitions[0, 3] = transitions[3, 4] = transitions[3, 5] = 1
    bias = np.full(n, -20.0, np.float32)
    bias[0] = 0
    bias[5] = -20.5
    nodes = [
        helper.make_node("MatMul", ["decoder_out", "transitions"], ["allowed"]),
        helper.make_node("Add", ["encoder_out", "offset"], ["shifted"]),
        helper.make_node("Mul", ["shifted", "gain"], ["strength"]),
        helper.make_node("Mul", ["allowed", "strength"], ["scaled"]),
        helper.make_node("Add", ["scaled", "bias"], ["logit"]),
    ]
    inits = [const("transitions", transitions), const("offset", np.array([12.0], np.float32)),
             const("gain", np.array([2.0], np.float32)), const("bias", bias)]
    graph = helper.make_graph(
        nodes, "joiner",
        [helper.make_tensor_value_info("encoder_out", TensorProto.FLOAT, ["N", 1]),
         helper.make_tensor_value_info("decoder_out", TensorProto.FLOAT, ["N", n])],
        [helper.make_tensor_value_info("logit", TensorProto.FLOAT, ["N", n])],
        inits)
    return model(graph)


def punctuation(with_token_types, labels=5, ids_name="input_ids", positions=None):
    table = np.zeros((32, labels), np.float32)
    for i in range(32):
        table[i, i % labels] = 1 + i / 100
    nodes = [
        helper.make_node("Gather", ["table", ids_name], ["scores"], axis=0),
        helper.make_node("Cast", ["attention_mask"], ["mask_float"], to=TensorProto.FLOAT),
        helper.make_node("Unsqueeze", ["mask_float", "last_axis"], ["mask"]),
        helper.make_node("Mul", ["scores", "mask"], ["logits" if not with_token_types else "masked"]),
    ]
    inputs = [helper.make_tensor_value_info(ids_name, TensorProto.INT64, [1, "n"]),
              helper.make_tensor_value_info("attention_mask", TensorProto.INT64, [1, "n"])]
    if with_token_types:
        nodes += [
            helper.make_node("Cast", ["token_type_ids"], ["types_float"], to=TensorProto.FLOAT),
            helper.make_node("Unsqueeze", ["types_float", "last_axis"], ["types"]),
            helper.make_node("Add", ["masked", "types"], ["logits"]),
        ]
        inputs.append(helper.make_tensor_value_info("token_type_ids", TensorProto.INT64, [1, "n"]))
    inits = [const("table", table), const("last_axis", np.array([-1], np.int64))]
    if positions:
        # A table of position scores (all zero) that, like a real model's, has no row for a
        # position past its size: longer inputs fail.
        nodes[-1].output[0] = "unpositioned"
        nodes += [
            helper.make_node("Shape", [ids_name], ["ids_shape"]),
            helper.make_node("Gather", ["ids_shape", "one"], ["length"], axis=0),
            helper.make_node("Range", ["zero", "length", "one"], ["position_ids"]),
            helper.make_node("Gather", ["position_table", "position_ids"], ["position_scores"], axis=0),
            helper.make_node("Add", ["unpositioned", "position_scores"], ["logits"]),
        ]
        inits += [const("zero", np.array(0, np.int64)), const("one", np.array(1, np.int64)),
                  const("position_table", np.zeros((positions, labels), np.float32))]
    graph = helper.make_graph(
        nodes, "punctuation", inputs,
        [helper.make_tensor_value_info("logits", TensorProto.FLOAT, [1, "n", labels])],
        inits)
    return model(graph)


# The first piece of a word decides its label (id mod 5): 0 nothing, 1 ".", 2 ":", 3 "،", 4 "؟".
# So "سلام حال شما چطور است من خوبم" reads "سلام، حال شما چطور است؟ من خوبم."
PUNCTUATION_VOCAB = {
    "[UNK]": 0, "[CLS]": 1, "[SEP]": 2,
    "است": 4, "حال": 5, "خوبم": 6, "cafe": 7, "سلام": 8, "کجا": 9,
    "شما": 10, "میروم": 11, "خانه": 12, "hello": 13, ",": 14,
    "من": 15, "اب": 16, "##ها": 17, "امروز": 18, "؟": 19,
    "چطور": 20, "world": 21, "##s": 22, "a": 23, "##a": 24,
    "کتاب": 25, "،": 26, ".": 27,
}


def tokenizer():
    # The layout of a BERT WordPiece tokenizer description; only these keys are read.
    return {
        "version": "1.0",
        "normalizer": {"type": "BertNormalizer", "clean_text": True, "handle_chinese_chars": True,
                       "strip_accents": None, "lowercase": True},
        "pre_tokenizer": {"type": "BertPreTokenizer"},
        "model": {"type": "WordPiece", "unk_token": "[UNK]", "continuing_subword_prefix": "##",
                  "max_input_chars_per_word": 100, "vocab": PUNCTUATION_VOCAB},
    }


def write_text(path, lines):
    with open(path, "w", encoding="utf-8") as f:
        f.write("".join(line + "\n" for line in lines))


def write_tokenizer(folder):
    with open(os.path.join(folder, "tokenizer.json"), "w", encoding="utf-8") as f:
        json.dump(tokenizer(), f, ensure_ascii=False, indent=1)


def write_transducer(folder, with_bpe, work_layers=0):
    os.makedirs(folder, exist_ok=True)
    for name in ("encoder.onnx", "encoder.data"):
        if os.path.exists(os.path.join(folder, name)):
            os.remove(os.path.join(folder, name))
    # Only the large weight goes to encoder.data: the runtime needs the small Slice
    # parameters inline to infer shapes.
    onnx.save_model(encoder(work_layers), os.path.join(folder, "encoder.onnx"), save_as_external_data=True,
                    all_tensors_to_one_file=True, location="encoder.data", size_threshold=64)
    onnx.save_model(decoder(), os.path.join(folder, "decoder.onnx"))
    onnx.save_model(joiner(), os.path.join(folder, "joiner.onnx"))
    write_text(os.path.join(folder, "tokens.txt"), [f"{t} {i}" for i, t in enumerate(TOKENS)])
    if with_bpe:
        write_text(os.path.join(folder, "bpe.vocab"), [f"{t}\t{s}" for t, s in zip(TOKENS, BPE_SCORES)])


def main():
    out = sys.argv[1]
    write_transducer(os.path.join(out, "transducer"), with_bpe=False)
    write_transducer(os.path.join(out, "transducer-bpe"), with_bpe=True)
    write_transducer(os.path.join(out, "transducer-bench"), with_bpe=False, work_layers=8)
    os.makedirs(os.path.join(out, "punctuation"), exist_ok=True)
    onnx.save_model(punctuation(False), os.path.join(out, "punctuation", "model.onnx"))
    onnx.save_model(punctuation(True), os.path.join(out, "punctuation", "model-token-types.onnx"))
    onnx.save_model(punctuation(False, labels=3), os.path.join(out, "punctuation", "model-three-labels.onnx"))
    onnx.save_model(punctuation(False, ids_name="ids"), os.path.join(out, "punctuation", "model-without-input-ids.onnx"))
    onnx.save_model(punctuation(False, positions=512), os.path.join(out, "punctuation", "model-512-positions.onnx"))
    write_tokenizer(os.path.join(out, "punctuation"))


if __name__ == "__main__":
    main()
